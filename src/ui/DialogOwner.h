#pragma once
// The window the library's modal dialogs are shown over.
//
//   INT_PTR answer = dialog.RunModal(ui::DialogOwner(), 0);
//
// A script calls HTTPDownload and ShowErrorWindow either on the installer's user-interface thread
// (from a page's callback), where the active window is the installer's, or from a section, which
// NSIS runs on a worker thread that has no window at all. There the dialog is owned by the
// installer's main window, the one a script knows as $HWNDPARENT, just as if the script had passed
// it: the dialog box disables it for its modal loop and enables it again when it ends, so the
// dialog neither falls behind the installer nor gets a taskbar button of its own.
//
// Thread-safety: any thread; nothing is kept.

#include <windows.h>

namespace ui {

// The calling thread's active window; when it has none, the installer's main window: the visible
// top-level window of this process that owns the others, NSIS's dialog window ("#32770") first.
// Null when the process shows no window (a silent installer).
HWND DialogOwner() noexcept;

}  // namespace ui
