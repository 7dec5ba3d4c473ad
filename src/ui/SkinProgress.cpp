#include "ui/SkinProgress.h"

#include "res/resource.h"
#include "ui/ProgressGeometry.h"
#include "ui/WindowGeometry.h"

#include <commctrl.h>

#include <string>

namespace ui {

SkinProgress::SkinProgress() noexcept {
  fill_.Load(IDB_BAR_FILL);
  leftCap_.Load(IDB_BAR_LEFT_CAP);
  rightCap_.Load(IDB_BAR_RIGHT_CAP);
}

LRESULT SkinProgress::OnPaint(UINT, WPARAM, LPARAM, bool&) {
  const HWND bar = Window();
  gdi::PaintDc paint(bar);
  const HDC dc = paint.get();
  RECT client{};
  ::GetClientRect(bar, &client);
  RECT textRect = client;
  ::InflateRect(&textRect, -2, -2);

  frame_.Paint(dc, client.right - client.left, client.bottom - client.top);
  const RECT area{client.left + frame_.Left(), client.top + frame_.Top(),
                  client.right - frame_.Right(), client.bottom - frame_.Bottom()};

  const auto position = static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0));
  PBRANGE range{};
  ::SendMessageW(bar, PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&range));
  const int filled = FilledWidth(position, range.iHigh, area.right - area.left);

  FillWithPiece(dc, RECT{area.left, area.top, area.left + filled, area.bottom}, fill_);
  const SIZE leftCap = leftCap_.Size();
  FillWithPiece(dc, RECT{area.left, area.top, area.left + leftCap.cx, area.top + leftCap.cy},
                leftCap_);

  const COLORREF previous = ::SetBkColor(dc, kUnfilledBarColour);
  if (previous != CLR_INVALID) {
    const RECT unfilled{area.left + filled, area.top, area.right, area.bottom};
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &unfilled, nullptr, 0, nullptr);
    ::SetBkColor(dc, previous);
  }

  if (filled != 0) {
    const SIZE rightCap = rightCap_.Size();
    const int capLeft = area.left + filled;
    FillWithPiece(dc, RECT{capLeft, area.top, capLeft + rightCap.cx, area.top + rightCap.cy},
                  rightCap_);
  }

  // The percentage of the position as it is now (the control may have moved meanwhile).
  const auto current = static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0));
  const std::wstring text = PercentText(current, range.iHigh);
  ::SetBkMode(dc, TRANSPARENT);
  ::DrawTextW(dc, text.c_str(), -1, &textRect,
              DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  return 0;
}

LRESULT SkinProgress::OnNcCalcSize(UINT, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (wParam != 0) {
    handled = false;
    return 0;
  }
  // No non-client area: the client rectangle is the whole window.
  auto* const proposed = reinterpret_cast<RECT*>(lParam);
  if (proposed != nullptr) {
    RECT window{};
    if (WindowRectInParent(Window(), window)) *proposed = window;
  }
  return 0;
}

}  // namespace ui
