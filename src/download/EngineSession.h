#pragma once
// A hold on the engine's shared threads (the services manager, its transfer pool and the shared
// worker): while any session lives they stay up; the end of the last one tears them down
// (hftp/EngineTeardown.h).
//
//   {
//     download::EngineSession engine;   // before the first service of this caller
//     ... RunJob(request, factory, view, cancel) ...
//   }                                   // the engine goes unless another session still holds it
//
// Every caller that runs jobs holds its own session: a foreground download (HTTPDownload, the
// Download command) and each background job alike, so that none tears the engine down under
// another's transfer, and teardown never waits for a transfer it does not own.
//
// Thread-safety: sessions may begin and end on any threads at the same time, never on an engine
// thread (an observer). A session begun while the last one ends waits for the teardown, then
// starts the engine afresh. A session must end only after every job that it covers has returned.

namespace download {

class EngineSession {
 public:
  EngineSession() noexcept;
  ~EngineSession();
  EngineSession(const EngineSession&) = delete;
  EngineSession& operator=(const EngineSession&) = delete;

  // How many sessions hold the engine now (for tests and diagnostics).
  static int Holders() noexcept;
};

}  // namespace download
