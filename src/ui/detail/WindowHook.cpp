#include "ui/detail/WindowHook.h"

#include "ui/detail/Binding.h"

#include <atomic>
#include <cstdint>
#include <new>

namespace ui::detail {
namespace {

std::atomic<std::size_t> liveHooks{0};

// "MarlowSetupKit.WindowHook." and this module's address in hex: the procedure of one copy of the
// library must never take another copy's record for its own.
class PropertyName {
 public:
  PropertyName() noexcept {
    constexpr wchar_t kPrefix[] = L"MarlowSetupKit.WindowHook.";
    wchar_t* out = text_;
    for (const wchar_t* in = kPrefix; *in != L'\0'; ++in) *out++ = *in;
    const auto address = reinterpret_cast<std::uintptr_t>(&liveHooks);
    for (int shift = static_cast<int>(sizeof address * 8) - 4; shift >= 0; shift -= 4) {
      *out++ = L"0123456789abcdef"[(address >> shift) & 0xFu];
    }
    *out = L'\0';
  }
  const wchar_t* get() const noexcept { return text_; }

 private:
  wchar_t text_[64] = {};
};

const wchar_t* HookProperty() noexcept {
  static const PropertyName name;
  return name.get();
}

}  // namespace

WindowHook::WindowHook(HWND window) noexcept : window_(window) {
  liveHooks.fetch_add(1, std::memory_order_relaxed);
}

WindowHook::~WindowHook() {
  liveHooks.fetch_sub(1, std::memory_order_relaxed);
}

std::size_t WindowHook::LiveCountForTesting() noexcept {
  return liveHooks.load(std::memory_order_relaxed);
}

WindowHook* WindowHook::Acquire(HWND window) noexcept {
  if (auto* const hook = static_cast<WindowHook*>(::GetPropW(window, HookProperty()))) {
    return hook;
  }
  auto* const hook = new (std::nothrow) WindowHook(window);
  if (hook == nullptr || !::SetPropW(window, HookProperty(), hook)) {
    delete hook;
    ::SetLastError(ERROR_OUTOFMEMORY);
    return nullptr;
  }
  const LONG_PTR previous =
      ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure));
  if (previous == 0) {
    ::RemovePropW(window, HookProperty());
    delete hook;
    return nullptr;
  }
  hook->previous_ = reinterpret_cast<WNDPROC>(previous);
  hook->installed_ = true;
  return hook;
}

void WindowHook::Push(Binding& binding) noexcept {
  MSK_CHECK_THREAD(windowThread_);
  binding.hook_ = this;
  binding.above_ = nullptr;
  binding.below_ = top_;
  if (top_ != nullptr) top_->above_ = &binding;
  top_ = &binding;
}

void WindowHook::Remove(Binding& binding) noexcept {
  MSK_CHECK_THREAD(windowThread_);
  if (binding.above_ != nullptr) {
    binding.above_->below_ = binding.below_;
  } else {
    top_ = binding.below_;
  }
  if (binding.below_ != nullptr) binding.below_->above_ = binding.above_;
  binding.hook_ = nullptr;
  binding.above_ = nullptr;
  binding.below_ = nullptr;
  Settle();  // may delete this
}

LRESULT WindowHook::CallBelow(const Binding& binding, HWND window, UINT message, WPARAM wParam,
                              LPARAM lParam) noexcept {
  MSK_CHECK_THREAD(windowThread_);
  if (binding.below_ != nullptr) return binding.below_->Route(window, message, wParam, lParam);
  return ::CallWindowProcW(previous_, window, message, wParam, lParam);
}

LRESULT CALLBACK WindowHook::Procedure(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept {
  auto* const hook = static_cast<WindowHook*>(::GetPropW(window, HookProperty()));
  // Only a window with a record calls this procedure; answer like a plain window otherwise.
  if (hook == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  return hook->Dispatch(window, message, wParam, lParam);
}

LRESULT WindowHook::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  MSK_CHECK_THREAD(windowThread_);
  ++depth_;
  const LRESULT result = top_ != nullptr
                             ? top_->Route(window, message, wParam, lParam)
                             : ::CallWindowProcW(previous_, window, message, wParam, lParam);
  if (message == WM_NCDESTROY && installed_) {
    // The window is gone: it calls nothing any more. Bindings still handling one of its messages
    // further up the stack leave the chain when they are done.
    ::RemovePropW(window_, HookProperty());
    installed_ = false;
  }
  --depth_;
  Settle();  // may delete this: nothing below may touch a member
  return result;
}

bool WindowHook::OursOnTop() const noexcept {
  return ::GetWindowLongPtrW(window_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&Procedure);
}

void WindowHook::Settle() noexcept {
  if (top_ != nullptr) return;
  if (installed_ && OursOnTop()) Uninstall();
  if (!installed_ && depth_ == 0) delete this;
}

void WindowHook::Uninstall() noexcept {
  ::SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
  ::RemovePropW(window_, HookProperty());
  installed_ = false;
}

}  // namespace ui::detail
