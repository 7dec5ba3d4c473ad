#pragma once
// libcurl's process-wide state and the one way the engine creates easy handles.
//
//   hftp::detail::EnsureCurlGlobal();   // the factory, on the caller's thread, before any service
//   hftp::detail::UniqueCurlEasy handle = hftp::detail::CreateEasyHandle();
//
// The state (curl_global_init with CURL_GLOBAL_ALL: Winsock and its helper libraries) is set up
// lazily, at the first download, on the thread that asks for it: never while the module loads,
// where Windows holds the loader lock and neither libcurl nor Microsoft allow loading libraries
// or starting Winsock. Windows' security packages (SSPI) wait longer still: our libcurl loads them
// when a transfer first needs them, for TLS or a sign-on at a proxy, from whichever thread that is
// (scripts/curl-patches/sspi-at-first-use.patch), so a plain-HTTP download never pays for them.
// It is cleaned up only by hftp::ReleaseGlobalState (hftp/EngineTeardown.h), which the host calls
// when no transfer can run any more, or never.
//
// Thread-safe: concurrent first calls initialise once.

#include "hftp/detail/CurlHandles.h"

namespace hftp::detail {

// Sets libcurl's global state up unless it is; false when libcurl could not (a later call tries
// again).
bool EnsureCurlGlobal() noexcept;

// A new easy handle (the global state set up first, if it was not), or null when libcurl could not
// provide one.
UniqueCurlEasy CreateEasyHandle() noexcept;

}  // namespace hftp::detail
