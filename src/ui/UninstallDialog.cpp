#include "ui/UninstallDialog.h"

#include "res/resource.h"
#include "ui/BackgroundPaint.h"
#include "ui/SkinPictures.h"

namespace ui {

UninstallDialog::UninstallDialog() noexcept : background_(SkinPicture(IDB_UNINSTALL_BAND)) {}

LRESULT UninstallDialog::OnPaint(UINT, WPARAM, LPARAM, bool&) {
  PaintBackground(Window(), background_.Get());
  return 0;
}

LRESULT UninstallDialog::OnEraseBackground(UINT, WPARAM, LPARAM, bool&) {
  return 1;
}

}  // namespace ui
