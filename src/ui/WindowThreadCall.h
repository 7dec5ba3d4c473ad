#pragma once
// Runs a piece of work on the thread that owns a window, from any thread of the process, and waits
// for it: what a section (NSIS's install thread) needs to subclass or time the installer's window,
// whose user-interface thread alone may do so.
//
//   bool ran = ui::RunOnWindowThread(installerWindow, [&] { hook.Attach(installerWindow); });
//
// On the window's own thread the work runs at once. From another thread, a hook on the window's
// thread (WH_CALLWNDPROC, for the length of the call only) runs it when a message of our own, sent
// to the window, arrives there; the window's procedure then sees only that message, which it does
// not know and ignores. The window's thread must be pumping messages, as NSIS's is while a section
// runs. False when the window is gone or the hook could not be set: the work has not run.
//
// Thread-safety: any thread; the work runs on the window's, while the caller waits.

#include <windows.h>

#include <functional>

namespace ui {

bool RunOnWindowThread(HWND window, const std::function<void()>& work) noexcept;

}  // namespace ui
