#include "ui/CenterWindow.h"

namespace ui {
namespace {

int Width(const RECT& rect) noexcept {
  return rect.right - rect.left;
}
int Height(const RECT& rect) noexcept {
  return rect.bottom - rect.top;
}

// Maps `rect` from `from`'s client coordinates to `to`'s.
void MapRect(HWND from, HWND to, RECT& rect) noexcept {
  POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
  ::MapWindowPoints(from, to, corners, 2);
  rect = RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

bool Usable(HWND center) noexcept {
  if (center == nullptr) return false;
  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(center, GWL_STYLE));
  return (style & WS_VISIBLE) != 0 && (style & WS_MINIMIZE) == 0;
}

}  // namespace

bool CenterWindow(HWND window, HWND center) noexcept {
  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE));
  const bool child = (style & WS_CHILD) != 0;
  if (center == nullptr) center = child ? ::GetParent(window) : ::GetWindow(window, GW_OWNER);

  RECT own{};
  ::GetWindowRect(window, &own);
  RECT area{};    // where the window must stay
  RECT target{};  // what it is centred over
  if (!child) {
    if (!Usable(center)) center = nullptr;
    const HMONITOR monitor =
        ::MonitorFromWindow(center != nullptr ? center : window, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(monitor, &info);
    area = info.rcWork;
    if (center != nullptr) {
      ::GetWindowRect(center, &target);
    } else {
      target = area;
    }
  } else {
    const HWND parent = ::GetParent(window);
    ::GetClientRect(parent, &area);
    ::GetClientRect(center, &target);
    MapRect(center, parent, target);
  }

  int left = (target.left + target.right) / 2 - Width(own) / 2;
  int top = (target.top + target.bottom) / 2 - Height(own) / 2;
  if (left + Width(own) > area.right) left = area.right - Width(own);
  if (left < area.left) left = area.left;
  if (top + Height(own) > area.bottom) top = area.bottom - Height(own);
  if (top < area.top) top = area.top;
  return ::SetWindowPos(window, nullptr, left, top, -1, -1,
                        SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

}  // namespace ui
