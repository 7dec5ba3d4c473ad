#include "ui/detail/Binding.h"

#include <new>
#include <utility>

namespace ui::detail {

Binding::Handle Binding::Create(MessageSink& sink, Kind kind) noexcept {
  Handle binding(new (std::nothrow) Binding(sink, kind));
  if (!binding) return nullptr;
  binding->slot_ = ClaimProcSlot(*binding);
  if (!binding->slot_.IsValid()) return nullptr;  // Release frees the unused binding
  return binding;
}

Binding::~Binding() {
  FreeProcSlot(slot_);
}

bool Binding::Subclass(HWND window) noexcept {
  if (kind_ != Kind::Window || window == nullptr || installed_) return false;
  window_ = window;
  const LONG_PTR previous =
      ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Procedure()));
  if (previous == 0) {
    window_ = nullptr;
    return false;
  }
  previous_ = reinterpret_cast<WNDPROC>(previous);
  installed_ = true;
  return true;
}

void Binding::BindDialog(HWND window) noexcept {
  window_ = window;
  ::SetWindowLongPtrW(window, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(Procedure()));
  installed_ = true;
}

bool Binding::Release(Handle handle) noexcept {
  Binding* const binding = handle.release();
  return binding != nullptr && binding->Release();
}

bool Binding::Release() noexcept {
  sink_ = nullptr;
  endSinkPending_ = false;
  const bool restored = Uninstall();
  DeleteIfUnused();
  return restored;
}

bool Binding::Uninstall() noexcept {
  if (!installed_) return true;
  // A dialog calls its dialog procedure until it is destroyed; an orphaned one answers "not
  // handled" to everything (see Route).
  if (kind_ == Kind::Dialog) return false;
  const auto ours = reinterpret_cast<LONG_PTR>(Procedure());
  if (::GetWindowLongPtrW(window_, GWLP_WNDPROC) != ours) return false;
  ::SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
  installed_ = false;
  return true;
}

LRESULT Binding::Route(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  ++depth_;
  LRESULT result = 0;
  if (sink_ != nullptr) {
    result = sink_->Deliver(window, message, wParam, lParam);
  } else if (kind_ == Kind::Window) {
    result = ::CallWindowProcW(previous_, window, message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) WindowDestroyed();
  --depth_;
  if (depth_ == 0) Settle();  // may delete this: nothing below may touch a member
  return result;
}

void Binding::WindowDestroyed() noexcept {
  if (kind_ == Kind::Window) Uninstall();
  installed_ = false;  // the window is gone: it calls nothing any more
  if (sink_ != nullptr) endSinkPending_ = true;
}

void Binding::Settle() noexcept {
  if (!endSinkPending_ || sink_ == nullptr) {
    DeleteIfUnused();
    return;
  }
  endSinkPending_ = false;
  MessageSink* const sink = std::exchange(sink_, nullptr);
  const HWND window = window_;
  Uninstall();  // a deferred end hands the window back; after WM_NCDESTROY there is nothing to do
  DeleteIfUnused();
  sink->BindingEnded(window);
}

void Binding::DeleteIfUnused() noexcept {
  if (sink_ == nullptr && !installed_ && depth_ == 0) delete this;
}

}  // namespace ui::detail
