#pragma once
// libcurl's process-wide state and the one way the engine creates easy handles.
//
// The state is initialised (curl_global_init with CURL_GLOBAL_ALL) by a static object of this
// module when the module loads, and cleaned up when it unloads, unless the process is exiting
// (see hftp/ProcessExit.h). CreateEasyHandle lives beside that object so that every module able
// to make a transfer also links the object in: a static library's object file that nothing
// references would be left out, and the initialisation with it.
//
// CreateEasyHandle is thread-safe.

#include "hftp/detail/CurlHandles.h"

namespace hftp::detail {

// A new easy handle, or null when libcurl could not provide one.
UniqueCurlEasy CreateEasyHandle() noexcept;

}  // namespace hftp::detail
