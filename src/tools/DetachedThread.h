#pragma once
// Work on a thread that nobody waits for, which keeps this DLL loaded until the work is done.
//
//   if (!Tools::RunDetached([check] { check->Settle(AskTheRevocationServers()); })) {
//     check->Settle(Revocation::Unknown);  // no thread: answer without the work
//   }
//
// For work that may block in the system for longer than anyone may wait for it (crypt32 fetching
// a revocation list, gathering the machine's certificate stores on a slow machine): the caller
// polls for the work's result and gives up on its own terms, and nothing joins the thread. The
// thread holds a reference on the module this code is in and ends with FreeLibraryAndExitThread,
// so that an installer that unloads the plug-in meanwhile does not unload the code under it; the
// DLL goes when the last such thread has ended (or with the process).
//
// Windows only. Thread-safety: may be called from any thread; `work` runs on the new thread and
// must not throw (an exception is swallowed).

#include <functional>

namespace Tools {

// Starts `work` on a detached thread; false (and `work` not run) when no thread could be started.
bool RunDetached(std::function<void()> work) noexcept;

}  // namespace Tools
