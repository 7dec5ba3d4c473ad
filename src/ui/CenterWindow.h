#pragma once
// Centring a window the way ATL's CWindow::CenterWindow does, for the dialogs' WM_INITDIALOG.
//
//   ui::CenterWindow(dialog);  // over its owner, inside the nearest monitor's work area
//
// Thread-safety: the window's thread.

#include <windows.h>

namespace ui {

// Centres `window` over `center`; null means the parent for a child window, otherwise the owner.
// A pop-up is kept inside the work area of the monitor nearest to the centre window (or to itself);
// when the centre window is missing, hidden or minimised it is centred in that work area instead. A
// child window is centred within its parent's client area. Size and z-order stay; the window is not
// activated. Answers SetWindowPos's result.
bool CenterWindow(HWND window, HWND center = nullptr) noexcept;

}  // namespace ui
