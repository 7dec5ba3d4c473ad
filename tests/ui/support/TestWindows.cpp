#include "TestWindows.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>

namespace msk::test {
namespace {

constexpr wchar_t kClassName[] = L"MskTestTopWindow";

ATOM RegisterOnce(WNDPROC procedure) {
  static const ATOM atom = [procedure] {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = procedure;
    cls.hInstance = ::GetModuleHandleW(nullptr);
    cls.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    cls.hbrBackground = reinterpret_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
    cls.lpszClassName = kClassName;
    return ::RegisterClassExW(&cls);
  }();
  return atom;
}

}  // namespace

HBRUSH ClassBrush() noexcept {
  return reinterpret_cast<HBRUSH>(::GetStockObject(DKGRAY_BRUSH));
}

void InitCommonControlsOnce() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    return ::InitCommonControlsEx(&controls) != FALSE;
  }();
  (void)done;
}

void PumpMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

TopWindow::TopWindow(int clientWidth, int clientHeight, DWORD extraStyle) {
  InitCommonControlsOnce();
  RegisterOnce(&TopWindow::ClassProcedure);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | extraStyle;
  RECT frame{0, 0, clientWidth, clientHeight};
  ::AdjustWindowRectEx(&frame, style, FALSE, 0);
  window_ = ::CreateWindowExW(0, kClassName, L"MarlowSetupKit test", style, 40, 40,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              ::GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) {
    ADD_FAILURE() << "CreateWindowExW failed: " << ::GetLastError();
    return;
  }
  ::SetForegroundWindow(window_);
  ::UpdateWindow(window_);
  PumpMessages();
}

TopWindow::~TopWindow() {
  Destroy();
}

void TopWindow::Destroy() {
  if (window_ != nullptr && ::IsWindow(window_)) ::DestroyWindow(window_);
  window_ = nullptr;
  PumpMessages();
}

HWND TopWindow::AddChild(const wchar_t* className, const wchar_t* text, DWORD style, RECT placement,
                         int id, HWND parent) {
  const HWND child = ::CreateWindowExW(
      0, className, text, WS_CHILD | WS_VISIBLE | style, placement.left, placement.top,
      placement.right, placement.bottom, parent != nullptr ? parent : window_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
  if (child == nullptr) ADD_FAILURE() << "child window not created: " << ::GetLastError();
  return child;
}

bool TopWindow::Received(UINT message) const {
  return std::find(log_.begin(), log_.end(), message) != log_.end();
}

LRESULT CALLBACK TopWindow::ClassProcedure(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* const self = reinterpret_cast<TopWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self != nullptr) {
    self->log_.push_back(message);
    if (message == WM_NCDESTROY) self->window_ = nullptr;
  }
  switch (message) {
    case kProbeMessage:
      return kProbeAnswer;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<LRESULT>(ClassBrush());
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

WNDPROC CurrentProcedure(HWND window) noexcept {
  return reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, GWLP_WNDPROC));
}

}  // namespace msk::test
