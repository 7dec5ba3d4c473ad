#pragma once
// Ends the engine's shared threads: the services manager (with the transfer pool and its tick
// thread) and then the shared worker that ran every pooled transfer.
//
//   auto service = factory->CreatePooledService(url, observer, nullptr, L"", L"", 0, "");
//   ... wait for the observer's final status ...
//   service.reset();
//   hftp::TearDownEngine();   // no engine thread runs any more; the next service starts afresh
//
// Call it only after every pooled service has been released and every server-connection callback
// has run: the shared worker waits for the objects still on it. A release still running on the
// pool thread (an observer releasing its service from inside its final notification) is fine.
// Loner services have threads of their own and are not affected. Calling it when the engine never
// started (or twice) does nothing.
//
// ReleaseGlobalState then releases libcurl's process-wide state (Winsock, the TLS back end's
// libraries), which the first download set up. Call it only when no transfer can run any more:
// after TearDownEngine, with no loner service left. The plug-in calls it when NSIS is about to
// unload it (NSPIM_UNLOAD, on the installer's thread); a host that never says so leaves the state
// to the end of the process. Never call it from DllMain or a static destructor: the loader lock
// is held there, and libcurl's clean-up unloads libraries and stops Winsock. A download after it
// sets the state up again.
//
// Thread-safety: call from one thread at a time, never from an engine thread (an observer).

namespace hftp {

void TearDownEngine();

void ReleaseGlobalState() noexcept;

}  // namespace hftp
