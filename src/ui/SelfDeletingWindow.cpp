#include "ui/SelfDeletingWindow.h"

namespace ui {

SelfDeletingWindow::SelfDeletingWindow() : alive_(std::make_shared<char>()) {}

void SelfDeletingWindow::Dispose() noexcept {
  if (HandlingMessage()) {
    // Our map (or the procedure it fell through to) is still on the stack: deleting now would pull
    // the object out from under it.
    EndAfterCurrentMessage();
    return;
  }
  Detach();
  OnFinalMessage(nullptr);
}

void SelfDeletingWindow::OnFinalMessage(HWND) noexcept {
  // The window's last message has been answered (or Dispose was called): the window's hold on the
  // object ends here.
  delete this;
}

}  // namespace ui
