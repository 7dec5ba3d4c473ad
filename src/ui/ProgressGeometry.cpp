#include "ui/ProgressGeometry.h"

#include <cstdint>

namespace ui {

int FilledWidth(int position, int upper, int areaWidth) noexcept {
  if (areaWidth <= 0) return 0;
  const int unit = upper / 100;
  double filled = 0.0;
  if (unit != 0) {
    filled = (static_cast<double>(position) / unit) * (areaWidth / 100.0);
  } else if (upper > 0) {
    filled = static_cast<double>(position) / upper * areaWidth;
  }
  // Ranges that are not multiples of 100 can reach past 100 units; the bar's area is the limit.
  if (!(filled > 0.0)) return 0;
  if (filled >= areaWidth) return areaWidth;
  return static_cast<int>(filled);
}

std::wstring PercentText(int position, int upper) {
  const int unit = upper / 100;
  std::uint32_t percent = 0;
  if (unit != 0) {
    percent = static_cast<std::uint32_t>(position) / static_cast<std::uint32_t>(unit);
  } else if (upper > 0 && position > 0) {
    percent = static_cast<std::uint32_t>(static_cast<std::int64_t>(position) * 100 / upper);
  }
  return std::to_wstring(percent) + L"%";
}

Span MarqueeSpan(int step, int areaWidth) noexcept {
  if (areaWidth <= 0) return Span{0, 0};
  const int block = areaWidth / 4 > 0 ? areaWidth / 4 : 1;
  // From entering (its right edge at 0) to leaving (its left edge at the area's end).
  const auto cycle = static_cast<std::uint64_t>(areaWidth) + static_cast<std::uint64_t>(block);
  const std::uint64_t distance =
      (step < 0 ? 0 - static_cast<std::uint64_t>(step) : static_cast<std::uint64_t>(step)) *
      kMarqueeStepPixels;
  const int right = static_cast<int>(distance % cycle);
  const int left = right - block;
  return Span{left < 0 ? 0 : left, right < areaWidth ? right : areaWidth};
}

}  // namespace ui
