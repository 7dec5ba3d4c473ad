#include "ui/UninstallDialog.h"

#include "res/resource.h"
#include "ui/BackgroundPaint.h"
#include "ui/ModuleContext.h"

namespace ui {

UninstallDialog::UninstallDialog() noexcept {
  const HINSTANCE instance = module::ResourceInstance();
  if (instance != nullptr) {
    background_.reset(::LoadBitmapW(instance, MAKEINTRESOURCEW(IDB_UNINSTALL_BAND)));
  }
}

LRESULT UninstallDialog::OnPaint(UINT, WPARAM, LPARAM, bool&) {
  PaintBackground(Window(), background_.get());
  return 0;
}

LRESULT UninstallDialog::OnEraseBackground(UINT, WPARAM, LPARAM, bool&) {
  return 1;
}

}  // namespace ui
