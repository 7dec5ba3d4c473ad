#include "ui/WindowImpl.h"

#include <utility>

namespace ui {

WindowImpl::~WindowImpl() {
  Detach();
}

bool WindowImpl::Attach(HWND window) noexcept {
  if (window == nullptr || binding_ != nullptr) return false;
  detail::Binding::Handle binding = detail::Binding::Create(*this, detail::Binding::Kind::Window);
  if (!binding) {
    ::SetLastError(ERROR_OUTOFMEMORY);
    return false;
  }
  if (!binding->Subclass(window)) return false;  // the unused binding ends with its handle
  binding_ = std::move(binding);
  return true;
}

bool WindowImpl::Detach() noexcept {
  return detail::Binding::Release(std::move(binding_));
}

HWND WindowImpl::Window() const noexcept {
  return binding_ != nullptr ? binding_->Window() : nullptr;
}

void WindowImpl::OnFinalMessage(HWND) noexcept {}

LRESULT WindowImpl::CallPreviousProc(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (binding_ == nullptr) return 0;
  return binding_->CallPrevious(binding_->Window(), message, wParam, lParam);
}

void WindowImpl::EndAfterCurrentMessage() noexcept {
  if (binding_ != nullptr) binding_->EndSinkWhenIdle();
}

LRESULT WindowImpl::Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  // Taken first: a handler may detach the object, and the message must still reach the window. The
  // binding outlives that detaching for as long as it is routing this message.
  detail::Binding* const binding = binding_.get();
  LRESULT result = 0;
  bool handled = false;
  try {
    handled = ProcessWindowMessage(window, message, wParam, lParam, result);
  } catch (...) {
    handled = false;
  }
  if (handled) return result;
  return binding->CallPrevious(window, message, wParam, lParam);
}

void WindowImpl::BindingEnded(HWND window) noexcept {
  (void)binding_.release();  // the binding has let go of us already and ends by itself
  OnFinalMessage(window);
}

}  // namespace ui
