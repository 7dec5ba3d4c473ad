#pragma once
// What the skinned progress bar shows for a position and a range: how many pixels of the bar are
// filled and the percentage text. Pure functions, no window involved.
//
//   ui::FilledWidth(15000, 30000, 266) == 133;  ui::PercentText(15000, 30000) == L"50%"
//
// The bar works in units of a hundredth of the upper bound (truncated), so a bar of 0..30000
// advances in steps of 300 and one of 0..100 shows the position itself. An upper bound below 100
// has no such unit; the bar then shows position / upper bound directly. The fill never leaves the
// bar's area.
//
// A bar whose position is unknown runs a marquee instead: a block a quarter of the bar wide that
// enters at the left, crosses the bar kMarqueeStepPixels at a time and leaves at the right, then
// starts again.
//
//   ui::MarqueeSpan(0, 266) == ui::Span{0, 0};  ui::MarqueeSpan(30, 266) == ui::Span{54, 120}
//
// Thread-safety: no state.

#include <string>

namespace ui {

// Filled width in pixels of a bar area `areaWidth` wide, between 0 and areaWidth.
int FilledWidth(int position, int upper, int areaWidth) noexcept;
// The percentage text: decimal digits followed by "%".
std::wstring PercentText(int position, int upper);

inline constexpr int kMarqueeStepPixels = 4;

// Pixels [left, right) of a bar area `areaWidth` wide.
struct Span {
  int left;
  int right;
  bool operator==(const Span& other) const noexcept {
    return left == other.left && right == other.right;
  }
};

// Where the marquee's block lies after `step` steps, clipped to the area (empty while it is
// outside). Steps count on from any value; negative ones count as their distance from 0.
Span MarqueeSpan(int step, int areaWidth) noexcept;

}  // namespace ui
