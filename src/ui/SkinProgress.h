#pragma once
// Draws a progress bar control itself: a frame of bitmap pieces, a patterned fill with end caps,
// the unfilled part in one colour and the percentage as text over it.
//
//   ui::SkinProgress skin;          // loads its pieces from the skin module
//   skin.Attach(progressBar);       // the owner also clears WS_EX_STATICEDGE and sets the range
//
// Owned by its dialog or window skin; the final-message hook does nothing. The bar's position and
// range are read from the control at each paint (PBM_GETPOS, PBM_GETRANGE), so the control keeps
// working as before for whoever drives it. In marquee mode (SetMarquee) it shows a block running
// along the bar instead, one step further each time its owner calls StepMarquee and repaints it.
// Whoever drives the control without knowing it is skinned gets the same with PBM_SETMARQUEE, as a
// plain bar of style PBS_MARQUEE would show it: the skin then steps the block on a timer of its
// own.
//
// Under the plain look (MarlowSetupKit::Skin /PLAIN, ui/SkinPictures.h) chosen before it is made,
// it draws the bar in system colours instead (ui/PlainLook.h), marquee and percentage alike.
//
// Thread-safety: the control's thread.

#include "ui/PatternPiece.h"
#include "ui/ProgressGeometry.h"
#include "ui/SkinFrame.h"
#include "ui/WindowImpl.h"

#include <windows.h>

#include <commctrl.h>

namespace ui {

// Colour of the unfilled part of the bar.
inline constexpr COLORREF kUnfilledBarColour = 0x00E2A468;  // red 104, green 164, blue 226

class SkinProgress final : public WindowImpl {
 public:
  SkinProgress() noexcept;

  // Shows the marquee (true) or the position (false); the owner repaints the bar.
  void SetMarquee(bool on) noexcept;
  bool Marquee() const noexcept { return marquee_; }
  void StepMarquee() noexcept { ++marqueeStep_; }

  MSK_BEGIN_MSG_MAP(SkinProgress)
  MSK_MESSAGE_HANDLER(WM_PAINT, OnPaint)
  MSK_MESSAGE_HANDLER(WM_NCCALCSIZE, OnNcCalcSize)
  MSK_MESSAGE_HANDLER(PBM_SETMARQUEE, OnSetMarquee)
  MSK_MESSAGE_HANDLER(WM_TIMER, OnTimer)
  MSK_END_MSG_MAP()

 private:
  LRESULT OnPaint(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnSetMarquee(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnTimer(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

  // The fill over `fill` (relative to the area) with its caps, the unfilled colour elsewhere.
  void PaintFill(HDC dc, const RECT& area, Span fill) noexcept;
  void PaintMarquee(HDC dc, const RECT& area) noexcept;
  void PaintPlain(HDC dc, const RECT& client) noexcept;

  const bool plain_;
  SkinFrame frame_;
  PatternPiece leftCap_;
  PatternPiece rightCap_;
  PatternPiece fill_;
  bool marquee_ = false;
  int marqueeStep_ = 0;
};

}  // namespace ui
