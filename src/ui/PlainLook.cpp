#include "ui/PlainLook.h"

#include <algorithm>

namespace ui {
namespace {

// Writes `text` centred in `box`, in `colour`, only inside `clip`.
void DrawClippedText(HDC dc, const RECT& box, const RECT& clip, const std::wstring& text,
                     COLORREF colour) noexcept {
  if (clip.right <= clip.left) return;
  const int saved = ::SaveDC(dc);
  ::IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
  ::SetTextColor(dc, colour);
  RECT where = box;
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &where,
              DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  ::RestoreDC(dc, saved);
}

}  // namespace

void FillPlainBackground(HDC dc, const RECT& rect) noexcept {
  ::FillRect(dc, &rect, ::GetSysColorBrush(COLOR_BTNFACE));
}

void PaintPlainBar(HDC dc, const RECT& client, Span fill, const std::wstring& text) noexcept {
  RECT edge = client;
  ::DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
  RECT area = client;
  ::InflateRect(&area, -kPlainBarEdge, -kPlainBarEdge);
  const RECT filled{std::min(area.left + fill.left, area.right), area.top,
                    std::min(area.left + fill.right, area.right), area.bottom};
  ::FillRect(dc, &area, ::GetSysColorBrush(COLOR_WINDOW));
  if (filled.right > filled.left) ::FillRect(dc, &filled, ::GetSysColorBrush(COLOR_HIGHLIGHT));
  if (text.empty()) return;
  ::SetBkMode(dc, TRANSPARENT);
  DrawClippedText(dc, area, filled, text, ::GetSysColor(COLOR_HIGHLIGHTTEXT));
  DrawClippedText(dc, area, RECT{area.left, area.top, filled.left, area.bottom}, text,
                  ::GetSysColor(COLOR_WINDOWTEXT));
  DrawClippedText(dc, area, RECT{filled.right, area.top, area.right, area.bottom}, text,
                  ::GetSysColor(COLOR_WINDOWTEXT));
}

}  // namespace ui
