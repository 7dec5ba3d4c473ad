#pragma once
// Draws a progress bar control itself: a frame of bitmap pieces, a patterned fill with end caps,
// the unfilled part in one colour and the percentage as text over it.
//
//   ui::SkinProgress skin;          // loads its pieces from the skin module
//   skin.Attach(progressBar);       // the owner also clears WS_EX_STATICEDGE and sets the range
//
// Owned by its dialog or window skin; the final-message hook does nothing. The bar's position and
// range are read from the control at each paint (PBM_GETPOS, PBM_GETRANGE), so the control keeps
// working as before for whoever drives it.
//
// Thread-safety: the control's thread.

#include "ui/PatternPiece.h"
#include "ui/SkinFrame.h"
#include "ui/WindowImpl.h"

#include <windows.h>

namespace ui {

// Colour of the unfilled part of the bar.
inline constexpr COLORREF kUnfilledBarColour = 0x00E2A468;  // red 104, green 164, blue 226

class SkinProgress final : public WindowImpl {
 public:
  SkinProgress() noexcept;

  MSK_BEGIN_MSG_MAP(SkinProgress)
  MSK_MESSAGE_HANDLER(WM_PAINT, OnPaint)
  MSK_MESSAGE_HANDLER(WM_NCCALCSIZE, OnNcCalcSize)
  MSK_END_MSG_MAP()

 private:
  LRESULT OnPaint(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

  SkinFrame frame_;
  PatternPiece leftCap_;
  PatternPiece rightCap_;
  PatternPiece fill_;
};

}  // namespace ui
