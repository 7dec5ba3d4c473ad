// ui::CenterWindow: over the owner, inside the nearest monitor's work area, or in the parent.
#include "support/TestWindows.h"
#include "ui/CenterWindow.h"

#include <gtest/gtest.h>

namespace {

RECT WindowRect(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return rect;
}

RECT WorkArea(HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
  return info.rcWork;
}

// A pop-up owned by `owner`, 200 x 100.
HWND CreatePopup(HWND owner) {
  return ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, owner, nullptr,
                           ::GetModuleHandleW(nullptr), nullptr);
}

TEST(CenterWindow, APopupIsCentredOverItsOwner) {
  msk::test::TopWindow owner(400, 300);
  ::SetWindowPos(owner.Handle(), nullptr, 100, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  const HWND popup = CreatePopup(owner.Handle());
  ASSERT_TRUE(ui::CenterWindow(popup));
  const RECT outer = WindowRect(owner.Handle());
  const RECT inner = WindowRect(popup);
  EXPECT_EQ(inner.left, (outer.left + outer.right) / 2 - 100);
  EXPECT_EQ(inner.top, (outer.top + outer.bottom) / 2 - 50);
  EXPECT_EQ(inner.right - inner.left, 200) << "the size stays";
  ::DestroyWindow(popup);
}

TEST(CenterWindow, APopupStaysInsideTheWorkAreaAndIgnoresAHiddenOwner) {
  msk::test::TopWindow owner(300, 200);
  const RECT area = WorkArea(owner.Handle());
  // Owner hanging off the top-left corner: centring over it would put the pop-up off screen.
  ::SetWindowPos(owner.Handle(), nullptr, area.left - 250, area.top - 180, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
  const HWND popup = CreatePopup(owner.Handle());
  ASSERT_TRUE(ui::CenterWindow(popup));
  EXPECT_EQ(WindowRect(popup).left, area.left);
  EXPECT_EQ(WindowRect(popup).top, area.top);

  ::ShowWindow(owner.Handle(), SW_HIDE);
  ASSERT_TRUE(ui::CenterWindow(popup));
  EXPECT_EQ(WindowRect(popup).left, (area.left + area.right) / 2 - 100)
      << "centred in the work area";
  EXPECT_EQ(WindowRect(popup).top, (area.top + area.bottom) / 2 - 50);
  ::DestroyWindow(popup);
}

TEST(CenterWindow, AChildIsCentredInItsParentsClientArea) {
  msk::test::TopWindow parent(400, 300);
  const HWND child = parent.AddChild(L"STATIC", L"", 0, RECT{0, 0, 100, 60}, 1);
  ASSERT_TRUE(ui::CenterWindow(child));
  RECT rect = WindowRect(child);
  ::MapWindowPoints(nullptr, parent.Handle(), reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, 150);
  EXPECT_EQ(rect.top, 120);
}

}  // namespace
