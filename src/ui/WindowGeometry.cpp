#include "ui/WindowGeometry.h"

namespace ui {

bool WindowRectInParent(HWND child, RECT& rect) noexcept {
  if (!::GetWindowRect(child, &rect)) return false;
  const HWND parent = ::GetParent(child);
  POINT topLeft{rect.left, rect.top};
  POINT bottomRight{rect.right, rect.bottom};
  if (!::ScreenToClient(parent, &topLeft)) return false;
  rect.left = topLeft.x;
  rect.top = topLeft.y;
  if (!::ScreenToClient(parent, &bottomRight)) return false;
  rect.right = bottomRight.x;
  rect.bottom = bottomRight.y;
  return true;
}

}  // namespace ui
