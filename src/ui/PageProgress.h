#pragma once
// The download's progress on the installer's own instfiles page, instead of a dialog of ours
// (`Download /PAGE`, `Wait /PAGE`): the page's progress bar (control 1004, skinned or plain) shows
// the percentage, or a marquee while the size is unknown; its status text (1006) shows the text
// line of download/ProgressText.h, four times a second; with the look's Cancel button the
// installer window's own Cancel button is enabled and cancels the download, not the installer.
// Afterwards the bar (range, position, style), the status text and the Cancel button's state are
// given back as they were.
//
//   bool shown = ui::RunOnInstallPage(installerWindow, look,
//                                     [&](download::ProgressView* view,
//                                         const download::CancelSignal& cancel) { ... });
//   if (!shown) ui::RunDownloadDialog(installerWindow, look, task);  // no page to show it on
//   ui::RunWithProgress(installerWindow, command.page, look, task);  // the same in one call
//
// The page is there only while a section runs: NSIS runs sections on a thread of their own while
// its user-interface thread pumps the window's messages. So the task runs right here, on the
// calling thread, while a subclass of the installer window on the window's thread (attached and
// detached through ui/WindowThreadCall.h) shows the values the task's view keeps in atomics and
// answers the Cancel button. Called on the window's own thread (.onInit, a page's callback), or
// where the current page has no bar and status text, it shows nothing and answers false; the task
// has not run then. The subclass is gone again before the call returns, whatever the task did, so
// nothing of ours is left in the window when NSIS unloads the library.
//
// Thread-safety: a thread other than the installer window's, which must be pumping messages.

#include "ui/ProgressDialog.h"

#include <windows.h>

namespace ui {

// The instfiles page's controls, as NSIS numbers them.
inline constexpr int kInstallPageProgressBar = 1004;
inline constexpr int kInstallPageStatusText = 1006;

// Runs `task` with its progress on the installer's instfiles page. True when it ran there (its
// answer is for the caller to keep), false when there is no such page to show it on.
bool RunOnInstallPage(HWND installer, const DownloadDialogLook& look, const DownloadTask& task);

// What /PAGE chooses: `task` on the instfiles page when `onPage` and there is one, else behind the
// download dialog (RunDownloadDialog, owned by `installer`).
void RunWithProgress(HWND installer, bool onPage, const DownloadDialogLook& look,
                     const DownloadTask& task);

}  // namespace ui
