#include "ui/ControlRow.h"

#include "ui/WindowGeometry.h"

#include <algorithm>

namespace ui {
namespace {

// How far a span [low, high) must move to end `margin` before `limit`, when it ends beyond it;
// never so far that it starts before 0.
int ShiftBack(int low, int high, int limit, int margin) noexcept {
  if (high <= limit) return 0;
  const int shift = limit - std::max(margin, 0) - high;
  return std::max(shift, -low);
}

}  // namespace

void KeepRowInside(HWND dialog, std::initializer_list<int> controlIds,
                   const RECT& layoutClient) noexcept {
  RECT row{};
  bool any = false;
  for (const int id : controlIds) {
    RECT rect{};
    const HWND control = ::GetDlgItem(dialog, id);
    if (control == nullptr || !WindowRectInParent(control, rect)) continue;
    if (!any) {
      row = rect;
      any = true;
    } else {
      ::UnionRect(&row, &row, &rect);
    }
  }
  RECT client{};
  if (!any || !::GetClientRect(dialog, &client)) return;

  const int dx = ShiftBack(row.left, row.right, client.right, layoutClient.right - row.right);
  const int dy = ShiftBack(row.top, row.bottom, client.bottom, layoutClient.bottom - row.bottom);
  if (dx == 0 && dy == 0) return;
  for (const int id : controlIds) {
    RECT rect{};
    const HWND control = ::GetDlgItem(dialog, id);
    if (control == nullptr || !WindowRectInParent(control, rect)) continue;
    ::SetWindowPos(control, nullptr, rect.left + dx, rect.top + dy, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

}  // namespace ui
