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

}  // namespace
