#include "DialogDriver.h"

#include <string>
#include <utility>

namespace msk::test {
namespace {

BOOL CALLBACK TakeFirstDialog(HWND window, LPARAM found) {
  wchar_t className[16] = {};
  ::GetClassNameW(window, className, 16);
  if (std::wstring(className) == L"#32770" && ::IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND FindThreadDialog(DWORD threadId) noexcept {
  HWND found = nullptr;
  ::EnumThreadWindows(threadId, &TakeFirstDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND WaitForThreadDialog(DWORD threadId, std::chrono::milliseconds timeout) noexcept {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (const HWND dialog = FindThreadDialog(threadId)) return dialog;
    if (std::chrono::steady_clock::now() >= deadline) return nullptr;
    ::Sleep(5);
  }
}

void ClickButton(HWND dialog, int buttonId) noexcept {
  ::SendMessageW(::GetDlgItem(dialog, buttonId), BM_CLICK, 0, 0);
}

void PressKey(HWND dialog, WPARAM virtualKey) noexcept {
  ::PostMessageW(dialog, WM_KEYDOWN, virtualKey, 1);
  ::PostMessageW(dialog, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
}

void PressAltF4(HWND dialog) noexcept {
  constexpr LPARAM kAltDown = 1 << 29;
  ::PostMessageW(dialog, WM_SYSKEYDOWN, VK_F4, kAltDown | 1);
  ::PostMessageW(dialog, WM_SYSKEYUP, VK_F4, static_cast<LPARAM>(0xE0000001u));
}

DialogDriver::DialogDriver(DWORD threadId, std::function<void(HWND)> script,
                           std::chrono::milliseconds timeout)
    : helper_([this, threadId, script = std::move(script), timeout] {
        const auto start = std::chrono::steady_clock::now();
        const HWND dialog = WaitForThreadDialog(threadId, timeout);
        if (dialog == nullptr) return;
        outcome_.sawDialog = true;
        outcome_.appearedAfter = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
        script(dialog);
      }) {}

DialogDriver::~DialogDriver() {
  if (helper_.joinable()) helper_.join();
}

DialogDriver::Outcome DialogDriver::Finish() {
  if (helper_.joinable()) helper_.join();
  return outcome_;
}

}  // namespace msk::test
