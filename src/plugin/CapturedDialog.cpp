#include "plugin/CapturedDialog.h"

#include <memory>

namespace plugin {

CapturedDialog& CapturedDialog::Instance() noexcept {
  static CapturedDialog record;
  return record;
}

bool CapturedDialog::Capture(HWND window) noexcept {
  if (const ui::TransparentBtn* existing = captured_.get()) return existing->Window() == window;
  try {
    captured_ = ui::WindowOwnedRef<ui::TransparentBtn>(ui::SelfDeletingWindow::AttachToWindow(
        std::make_unique<ui::TransparentBtn>(window), window));
  } catch (...) {
    captured_.reset();
  }
  return captured_.get() != nullptr;
}

void CapturedDialog::Release() noexcept {
  ui::TransparentBtn* const captured = captured_.get();
  captured_.reset();
  if (captured != nullptr) captured->Dispose();
}

}  // namespace plugin
