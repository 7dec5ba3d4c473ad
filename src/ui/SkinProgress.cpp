#include "ui/SkinProgress.h"

#include "res/resource.h"
#include "ui/PlainLook.h"
#include "ui/ProgressGeometry.h"
#include "ui/SkinPictures.h"
#include "ui/WindowGeometry.h"

#include <commctrl.h>

#include <string>

namespace ui {
namespace {

// The skin's own marquee timer on the control: an id the plain control does not use for its own.
constexpr UINT_PTR kMarqueeTimer = 0x4D534B;
// A plain bar's marquee default (PBM_SETMARQUEE with 0).
constexpr UINT kMarqueeMilliseconds = 30;

}  // namespace

SkinProgress::SkinProgress() noexcept : plain_(PlainLook()) {
  fill_.Load(IDB_BAR_FILL);
  leftCap_.Load(IDB_BAR_LEFT_CAP);
  rightCap_.Load(IDB_BAR_RIGHT_CAP);
}

void SkinProgress::SetMarquee(bool on) noexcept {
  marquee_ = on;
  marqueeStep_ = 0;
}

LRESULT SkinProgress::OnSetMarquee(UINT, WPARAM wParam, LPARAM lParam, bool&) {
  const HWND bar = Window();
  SetMarquee(wParam != 0);
  if (wParam != 0) {
    ::SetTimer(bar, kMarqueeTimer, lParam > 0 ? static_cast<UINT>(lParam) : kMarqueeMilliseconds,
               nullptr);
  } else {
    ::KillTimer(bar, kMarqueeTimer);
  }
  ::InvalidateRect(bar, nullptr, FALSE);
  return TRUE;
}

LRESULT SkinProgress::OnTimer(UINT, WPARAM wParam, LPARAM, bool& handled) {
  if (wParam != kMarqueeTimer || !marquee_) {
    handled = false;
    return 0;
  }
  StepMarquee();
  ::InvalidateRect(Window(), nullptr, FALSE);
  return 0;
}

LRESULT SkinProgress::OnPaint(UINT, WPARAM, LPARAM, bool&) {
  const HWND bar = Window();
  gdi::PaintDc paint(bar);
  const HDC dc = paint.Get();
  RECT client{};
  ::GetClientRect(bar, &client);
  if (plain_) {
    PaintPlain(dc, client);
    return 0;
  }
  RECT textRect = client;
  ::InflateRect(&textRect, -2, -2);

  frame_.Paint(dc, client.right - client.left, client.bottom - client.top);
  const RECT area{client.left + frame_.Left(), client.top + frame_.Top(),
                  client.right - frame_.Right(), client.bottom - frame_.Bottom()};

  if (marquee_) {
    PaintMarquee(dc, area);
    return 0;
  }

  const auto position = static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0));
  PBRANGE range{};
  ::SendMessageW(bar, PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&range));
  const int filled = FilledWidth(position, range.iHigh, area.right - area.left);
  PaintFill(dc, area, Span{0, filled});

  // The percentage of the position as it is now (the control may have moved meanwhile).
  const auto current = static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0));
  const std::wstring text = PercentText(current, range.iHigh);
  ::SetBkMode(dc, TRANSPARENT);
  ::DrawTextW(dc, text.c_str(), -1, &textRect,
              DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  return 0;
}

// In the order the bar has always been painted in, so that a position looks as it did: the fill,
// the left cap (which the unfilled part covers again at 0), the unfilled part, the right cap after
// a fill that is not empty.
void SkinProgress::PaintFill(HDC dc, const RECT& area, Span fill) noexcept {
  const int fillLeft = area.left + fill.left;
  const int fillRight = area.left + fill.right;
  FillWithPiece(dc, RECT{fillLeft, area.top, fillRight, area.bottom}, fill_);
  const SIZE leftCap = leftCap_.Size();
  FillWithPiece(dc, RECT{fillLeft, area.top, fillLeft + leftCap.cx, area.top + leftCap.cy},
                leftCap_);
  const COLORREF previous = ::SetBkColor(dc, kUnfilledBarColour);
  if (previous != CLR_INVALID) {
    const RECT after{fillRight, area.top, area.right, area.bottom};
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &after, nullptr, 0, nullptr);
    if (fillLeft > area.left) {
      const RECT before{area.left, area.top, fillLeft, area.bottom};
      ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &before, nullptr, 0, nullptr);
    }
    ::SetBkColor(dc, previous);
  }
  if (fill.right != 0) {
    const SIZE rightCap = rightCap_.Size();
    FillWithPiece(dc, RECT{fillRight, area.top, fillRight + rightCap.cx, area.top + rightCap.cy},
                  rightCap_);
  }
}

void SkinProgress::PaintPlain(HDC dc, const RECT& client) noexcept {
  const int areaWidth = client.right - client.left - 2 * kPlainBarEdge;
  if (marquee_) {
    PaintPlainBar(dc, client, MarqueeSpan(marqueeStep_, areaWidth), L"");
    return;
  }
  const HWND bar = Window();
  const auto position = static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0));
  PBRANGE range{};
  ::SendMessageW(bar, PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&range));
  std::wstring text;
  try {
    text = PercentText(position, range.iHigh);
  } catch (...) {
    // Out of memory for four characters: the bar alone.
  }
  PaintPlainBar(dc, client, Span{0, FilledWidth(position, range.iHigh, areaWidth)}, text);
}

void SkinProgress::PaintMarquee(HDC dc, const RECT& area) noexcept {
  PaintFill(dc, area, MarqueeSpan(marqueeStep_, area.right - area.left));
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
