#pragma once
// A background download's state in a script's own words: the progress text's pattern
// (download/ProgressText.h) with four more placeholders, for an installer page that shows the
// progress itself.
//
//   download::JobStatusText(L"@STATE@ @RECEIVED_B@/@TOTAL_B@ @PERCENT@", status, L"")
//       == L"running 1048576/4194304 25%"
//
// @STATE@ is `waiting` (no byte yet), `running` or `done`; @RESULT@ the result line the caller
// hands in, empty until done; @RECEIVED_B@ and @TOTAL_B@ the bytes as plain decimal integers,
// empty while unknown (before the first byte; a size the server did not announce). The progress
// text's placeholders are filled in as the dialog fills them. An empty pattern gives an empty text.
//
// Pure function: thread-safe.

#include "download/BackgroundJobs.h"

#include <string>

namespace download {

std::wstring JobStatusText(const std::wstring& pattern, const JobStatus& status,
                           const std::wstring& result);

}  // namespace download
