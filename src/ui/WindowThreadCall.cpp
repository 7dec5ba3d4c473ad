#include "ui/WindowThreadCall.h"

#include "tools/UniqueHandle.h"

#include <atomic>
#include <mutex>

namespace ui {
namespace {

// The one message the hook acts on; registered, so no window gives it a meaning of its own.
UINT RunMessage() noexcept {
  static const UINT message = ::RegisterWindowMessageW(L"MarlowSetupKit.RunOnWindowThread");
  return message;
}

struct Delivery {
  HWND window;
  const std::function<void()>* work;
  bool ran;
};

// One call across threads at a time, and the hook acts on that call's message alone: another
// process may send the registered message too, with any lParam.
std::mutex crossThreadCall;
std::atomic<Delivery*> pending{nullptr};

LRESULT CALLBACK OnSentMessage(int code, WPARAM wParam, LPARAM lParam) noexcept {
  const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && sent != nullptr && sent->message == RunMessage()) {
    Delivery* const delivery = pending.load(std::memory_order_acquire);
    if (delivery != nullptr && sent->lParam == reinterpret_cast<LPARAM>(delivery) &&
        sent->hwnd == delivery->window && !delivery->ran) {
      try {
        (*delivery->work)();
      } catch (...) {
      }
      delivery->ran = true;
    }
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

using UniqueHook = Tools::UniqueHandle<Tools::HandleTraits<HHOOK, &::UnhookWindowsHookEx>>;

}  // namespace

bool RunOnWindowThread(HWND window, const std::function<void()>& work) noexcept {
  const DWORD windowThread = ::GetWindowThreadProcessId(window, nullptr);
  if (windowThread == 0 || RunMessage() == 0) return false;
  if (windowThread == ::GetCurrentThreadId()) {
    try {
      work();
    } catch (...) {
    }
    return true;
  }
  const std::lock_guard<std::mutex> oneAtATime(crossThreadCall);
  // A hook on a thread of our own process: no module handle.
  const UniqueHook hook(::SetWindowsHookExW(WH_CALLWNDPROC, &OnSentMessage, nullptr, windowThread));
  if (!hook) return false;
  Delivery delivery{window, &work, false};
  pending.store(&delivery, std::memory_order_release);
  ::SendMessageW(window, RunMessage(), 0, reinterpret_cast<LPARAM>(&delivery));
  pending.store(nullptr, std::memory_order_release);
  return delivery.ran;
}

}  // namespace ui
