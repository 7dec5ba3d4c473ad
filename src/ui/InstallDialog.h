#pragma once
// The skin of the installer window: background bitmap 102 drawn at its natural size, the progress
// bar drawn by a SkinProgress, and the status text shortened by an NSISStatic.
//
//   ui::SelfDeletingWindow::AttachToWindow(
//       std::make_unique<ui::InstallDialog>(progressBar, statusText), installerWindow);
//
// Constructing the object skins the progress bar and the status text right away. The object is
// owned by the installer window and ends after that window's WM_NCDESTROY; by then the two controls
// (children of it) are gone and their skins have detached themselves.
//
// Thread-safety: the installer's user-interface thread.

#include "ui/Gdi.h"
#include "ui/NSISStatic.h"
#include "ui/SelfDeletingWindow.h"
#include "ui/SkinProgress.h"

#include <windows.h>

namespace ui {

class InstallDialog final : public SelfDeletingWindow {
 public:
  InstallDialog(HWND progressBar, HWND statusText) noexcept;

  MSK_BEGIN_MSG_MAP(InstallDialog)
  MSK_MESSAGE_HANDLER(WM_PAINT, OnPaint)
  MSK_MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
  MSK_END_MSG_MAP()

 private:
  LRESULT OnPaint(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnEraseBackground(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

  SkinProgress progress_;
  gdi::UniqueHBitmap background_;
  NSISStatic status_;
};

}  // namespace ui
