#include "ui/InstallDialog.h"

#include "res/resource.h"
#include "ui/BackgroundPaint.h"
#include "ui/SkinPictures.h"

#include <commctrl.h>

namespace ui {
InstallDialog::InstallDialog(HWND progressBar, HWND statusText) noexcept
    : background_(SkinPicture(IDB_BACKGROUND)) {
  progress_.Attach(progressBar);
  // The skin draws its own frame: no static edge, and the frame is recalculated at once.
  const LONG_PTR extended = ::GetWindowLongPtrW(progressBar, GWL_EXSTYLE);
  ::SetWindowLongPtrW(progressBar, GWL_EXSTYLE,
                      extended & ~static_cast<LONG_PTR>(WS_EX_STATICEDGE));
  ::SetWindowPos(progressBar, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  ::SendMessageW(progressBar, PBM_SETPOS, 0, 0);
  // If the status text cannot be skinned it simply stays as it was.
  status_.Attach(statusText);
}

LRESULT InstallDialog::OnPaint(UINT, WPARAM, LPARAM, bool&) {
  PaintBackground(Window(), background_.Get());
  return 0;
}

LRESULT InstallDialog::OnEraseBackground(UINT, WPARAM, LPARAM, bool&) {
  return 1;
}

}  // namespace ui
