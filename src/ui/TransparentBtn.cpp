#include "ui/TransparentBtn.h"

#include "res/resource.h"
#include "ui/SkinPictures.h"

#include <cwchar>

namespace ui {
namespace {

// The window rectangle of `child` in the client coordinates of `window` (an ancestor). The second
// corner is converted only when the first was.
bool RectInWindow(HWND child, HWND window, RECT& rect) noexcept {
  if (!::GetWindowRect(child, &rect)) return false;
  POINT topLeft{rect.left, rect.top};
  POINT bottomRight{rect.right, rect.bottom};
  if (!::ScreenToClient(window, &topLeft)) return false;
  rect.left = topLeft.x;
  rect.top = topLeft.y;
  if (!::ScreenToClient(window, &bottomRight)) return false;
  rect.right = bottomRight.x;
  rect.bottom = bottomRight.y;
  return true;
}

}  // namespace

TransparentBtn::TransparentBtn(HWND window) {
  // All descendants, not only direct children: buttons inside nested groups count as well.
  ::EnumChildWindows(window, &TransparentBtn::CollectButton, reinterpret_cast<LPARAM>(this));
  CutBackgrounds(window);
}

BOOL CALLBACK TransparentBtn::CollectButton(HWND child, LPARAM self) noexcept {
  wchar_t className[260] = {};
  if (::GetClassNameW(child, className, 260) > 0 && ::_wcsicmp(className, L"button") == 0) {
    try {
      reinterpret_cast<TransparentBtn*>(self)->buttons_.push_back(ButtonEntry{{}, child});
    } catch (...) {
      // Short of memory: this child keeps its usual background.
    }
  }
  return TRUE;  // always go on
}

void TransparentBtn::CutBackgrounds(HWND window) {
  const gdi::WindowDc windowDc(window);
  const gdi::UniqueHBitmap skin = SkinPicture(IDB_BACKGROUND);
  for (ButtonEntry& entry : buttons_) {
    RECT rect{};
    RectInWindow(entry.child, window, rect);
    entry.background.CutFrom(windowDc.Get(), skin.Get(), rect);
  }
}

HBRUSH TransparentBtn::BrushFor(HWND child) const noexcept {
  for (const ButtonEntry& entry : buttons_) {
    if (entry.child == child) return entry.background.Brush();
  }
  return nullptr;
}

LRESULT TransparentBtn::OnCtlColor(UINT, WPARAM, LPARAM lParam, bool& handled) {
  for (const ButtonEntry& entry : buttons_) {
    if (entry.child == reinterpret_cast<HWND>(lParam)) {
      return reinterpret_cast<LRESULT>(entry.background.Brush());
    }
  }
  handled = false;
  return 0;
}

}  // namespace ui
