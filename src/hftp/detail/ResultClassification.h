#pragma once
// Which final status (hftp::Status) a libcurl result code gives a transfer.
//
//   ClassifyResult(CURLE_OK) == StatusCompleted
//   ClassifyResult(CURLE_COULDNT_CONNECT) == StatusConnectionError
//
// Every code maps to a final status: codes this engine does not know (newer libcurl versions add
// some) count as StatusError, so an observer never waits for an end that does not come.
// Pure function: thread-safe.

#include "hftp/Status.h"

namespace hftp::detail {

Status ClassifyResult(int resultCode) noexcept;

}  // namespace hftp::detail
