#pragma once
// Whether the trusted roots that an https transfer needs are ready, asked without waiting for them.
//
//   while (!hftp::TrustedRootsReadyFor(url)) {
//     if (cancel.IsRaised()) return Cancelled;   // heard at once, whatever the roots take
//     wakeup.WaitFor(std::chrono::milliseconds(20), ...);
//   }
//   auto service = factory.CreatePooledService(url, observer, options);  // builds nothing now
//
// On Windows a process's first transfer that starts on https needs the machine's certificate
// stores gathered into one blob (hftp/detail/TrustedRoots.h): a few hundred milliseconds under
// wine, seconds on a slow machine, and the service factory gathers them itself when they are not
// ready. The first call for an https URL starts the gathering on a thread of its own
// (tools/DetachedThread.h), so that a caller who must answer a cancel or a limit meanwhile waits
// in its own loop instead of inside the factory. Plain http, and platforms without roots to
// gather: always ready.
//
// Thread-safety: may be called from any thread at any time.

#include <string_view>

namespace hftp {

// True once the roots that `url` needs have been gathered (or their gathering has failed, when a
// transfer falls back to the system's validation); starts the gathering when it has not begun.
bool TrustedRootsReadyFor(std::wstring_view url) noexcept;

}  // namespace hftp
