// What the skinned bar shows for a position and range.
#include "ui/ProgressGeometry.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  int position;
  int upper;
  int filled;  // of a 266-pixel area
  const wchar_t* text;
};

TEST(ProgressGeometry, FillAndPercentageFollowTheUnitOfAHundredthOfTheUpperBound) {
  const Case cases[] = {
      {0, 100, 0, L"0%"},           {42, 100, 111, L"42%"},  // 42 x 2.66 = 111.72, truncated
      {100, 100, 266, L"100%"},     {0, 30000, 0, L"0%"},
      {299, 30000, 2, L"0%"},  // the fill moves smoothly, the text in whole units
      {300, 30000, 2, L"1%"},       {15000, 30000, 133, L"50%"},
      {30000, 30000, 266, L"100%"}, {1, 100, 2, L"1%"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ui::FilledWidth(c.position, c.upper, 266), c.filled)
        << c.position << " of " << c.upper;
    EXPECT_EQ(ui::PercentText(c.position, c.upper), c.text) << c.position << " of " << c.upper;
  }
}

TEST(ProgressGeometry, AnUpperBoundBelowAHundredShowsPositionOverUpperBound) {
  const Case cases[] = {
      {0, 50, 0, L"0%"},  {25, 50, 133, L"50%"}, {50, 50, 266, L"100%"},
      {1, 3, 88, L"33%"}, {0, 0, 0, L"0%"},  // no range at all
      {5, -10, 0, L"0%"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ui::FilledWidth(c.position, c.upper, 266), c.filled)
        << c.position << " of " << c.upper;
    EXPECT_EQ(ui::PercentText(c.position, c.upper), c.text) << c.position << " of " << c.upper;
  }
}

TEST(ProgressGeometry, TheFillNeverLeavesTheBarArea) {
  // 199 / unit 1 would be 199 units of 2.66 pixels: twice the area.
  EXPECT_EQ(ui::FilledWidth(199, 199, 266), 266);
  EXPECT_EQ(ui::FilledWidth(-50, 100, 266), 0);
  EXPECT_EQ(ui::FilledWidth(50, 100, 0), 0);
  EXPECT_EQ(ui::FilledWidth(50, 100, -4), 0);
}

TEST(ProgressGeometry, TheMarqueeBlockCrossesTheBarAndStartsAgain) {
  struct MarqueeCase {
    int step;
    int areaWidth;
    ui::Span span;
  };
  // A 266-pixel area: a 66-pixel block, 4 pixels a step, 332 pixels from entering to leaving.
  const MarqueeCase cases[] = {
      {0, 266, {0, 0}},
      {10, 266, {0, 40}},
      {30, 266, {54, 120}},
      {50, 266, {134, 200}},
      {80, 266, {254, 266}},
      {83, 266, {0, 0}},  // round again
      {113, 266, {54, 120}},
      {-30, 266, {54, 120}},
      {0, 0, {0, 0}},
      {5, -4, {0, 0}},
      {1, 2, {0, 1}},                 // a block of at least one pixel
      {2147483647, 266, {250, 266}},  // 2147483647 x 4 = 316 after whole rounds: no overflow
  };
  for (const MarqueeCase& c : cases) {
    const ui::Span span = ui::MarqueeSpan(c.step, c.areaWidth);
    EXPECT_EQ(span.left, c.span.left) << c.step << " of " << c.areaWidth;
    EXPECT_EQ(span.right, c.span.right) << c.step << " of " << c.areaWidth;
  }
}

}  // namespace
