#include "ui/detail/Binding.h"

#include "ui/ForTesting.h"
#include "ui/detail/WindowHook.h"

#include <atomic>
#include <cstddef>
#include <new>
#include <utility>

namespace ui::detail {
namespace {

std::atomic<std::size_t> liveBindings{0};

// The dialog procedure of every bound dialog box: its binding sits in DWLP_USER, which is ours
// because the dialog box is.
INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  auto* const binding = reinterpret_cast<Binding*>(::GetWindowLongPtrW(window, DWLP_USER));
  if (binding == nullptr) return FALSE;
  return binding->Route(window, message, wParam, lParam);
}

}  // namespace

std::size_t LiveBindingRecordsForTesting() noexcept {
  return liveBindings.load(std::memory_order_relaxed) + WindowHook::LiveCountForTesting();
}

Binding::Binding(MessageSink& sink, Kind kind) noexcept : sink_(&sink), kind_(kind) {
  liveBindings.fetch_add(1, std::memory_order_relaxed);
}

Binding::~Binding() {
  liveBindings.fetch_sub(1, std::memory_order_relaxed);
}

Binding::Handle Binding::Create(MessageSink& sink, Kind kind) noexcept {
  return Handle(new (std::nothrow) Binding(sink, kind));
}

bool Binding::Subclass(HWND window) noexcept {
  MSK_CHECK_THREAD(windowThread_);
  if (kind_ != Kind::Window || window == nullptr || hook_ != nullptr) return false;
  WindowHook* const hook = WindowHook::Acquire(window);
  if (hook == nullptr) return false;
  hook->Push(*this);
  window_ = window;
  procedureAfterSubclass_ = ::GetWindowLongPtrW(window, GWLP_WNDPROC);
  return true;
}

void Binding::BindDialog(HWND window) noexcept {
  MSK_CHECK_THREAD(windowThread_);
  window_ = window;
  ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
  ::SetWindowLongPtrW(window, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(&DialogProcedure));
  dialogBound_ = true;
}

bool Binding::Release(Handle handle) noexcept {
  Binding* const binding = handle.release();
  return binding != nullptr && binding->Release();
}

bool Binding::Release() noexcept {
  MSK_CHECK_THREAD(windowThread_);
  sink_ = nullptr;
  endSinkPending_ = false;
  const bool asFound = LeavesWindowAsFound();
  DeleteIfUnused();
  return asFound;
}

bool Binding::LeavesWindowAsFound() const noexcept {
  // A dialog calls its dialog procedure until it is destroyed; an orphaned binding answers "not
  // handled" to everything (see Route).
  if (kind_ == Kind::Dialog) return !dialogBound_;
  if (hook_ == nullptr) return true;
  if (above_ != nullptr) return false;  // one of ours, attached later, still needs the chain
  // Somebody else's procedure installed after ours keeps calling ours.
  return ::GetWindowLongPtrW(window_, GWLP_WNDPROC) == procedureAfterSubclass_;
}

LRESULT Binding::CallPrevious(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  MSK_CHECK_THREAD(windowThread_);
  if (hook_ == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  return hook_->CallBelow(*this, window, message, wParam, lParam);
}

LRESULT Binding::Route(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  MSK_CHECK_THREAD(windowThread_);
  ++depth_;
  LRESULT result = 0;
  if (sink_ != nullptr) {
    result = sink_->Deliver(window, message, wParam, lParam);
  } else if (kind_ == Kind::Window) {
    result = CallPrevious(window, message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) WindowDestroyed();
  --depth_;
  if (depth_ == 0) Settle();  // may delete this: nothing below may touch a member
  return result;
}

void Binding::WindowDestroyed() noexcept {
  if (kind_ == Kind::Dialog && dialogBound_) {
    ::SetWindowLongPtrW(window_, DWLP_USER, 0);
    dialogBound_ = false;  // the window is gone: it calls nothing any more
  }
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
  DeleteIfUnused();  // leaves the window's chain: a deferred end hands the window back
  sink->BindingEnded(window);
}

void Binding::DeleteIfUnused() noexcept {
  if (sink_ != nullptr || depth_ > 0) return;
  if (hook_ != nullptr) hook_->Remove(*this);
  if (!dialogBound_) delete this;
}

}  // namespace ui::detail
