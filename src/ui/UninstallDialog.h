#pragma once
// The skin of the uninstaller window: bitmap 139, a 550 x 66 band, drawn at the client area's
// top-left corner; the rest of the client area gets no background from this skin (erasing is
// suppressed).
//
//   ui::SelfDeletingWindow::AttachToWindow(std::make_unique<ui::UninstallDialog>(), window);
//
// Owned by the uninstaller window; ends after its WM_NCDESTROY.
//
// Thread-safety: the uninstaller's user-interface thread.

#include "ui/Gdi.h"
#include "ui/SelfDeletingWindow.h"

#include <windows.h>

namespace ui {

class UninstallDialog final : public SelfDeletingWindow {
 public:
  UninstallDialog() noexcept;

  MSK_BEGIN_MSG_MAP(UninstallDialog)
  MSK_MESSAGE_HANDLER(WM_PAINT, OnPaint)
  MSK_MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
  MSK_END_MSG_MAP()

 private:
  LRESULT OnPaint(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnEraseBackground(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

  gdi::UniqueHBitmap background_;
};

}  // namespace ui
