// The skinned progress bar on a real progress control, checked pixel by pixel against the skin's
// own bitmaps.
#include "res/resource.h"
#include "support/Pixels.h"
#include "support/SkinBitmaps.h"
#include "support/TestWindows.h"
#include "ui/SkinProgress.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>

namespace {

using msk::test::Pixels;
using msk::test::SkinBitmap;

constexpr COLORREF kUnfilled = RGB(104, 164, 226);
// The bar of the download dialog: 270 x 26 with a 2-pixel frame, so the bar area is 266 x 22.
constexpr int kWidth = 270;
constexpr int kHeight = 26;
constexpr RECT kArea{2, 2, 268, 24};

class SkinProgressTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bar_ = window_.AddChild(PROGRESS_CLASSW, L"", 0, RECT{25, 17, kWidth, kHeight}, 138);
    ASSERT_TRUE(skin_.Attach(bar_));
  }

  Pixels Show(int position, int upper) {
    ::SendMessageW(bar_, PBM_SETRANGE32, 0, upper);
    ::SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    ::InvalidateRect(bar_, nullptr, TRUE);
    Pixels shown = Pixels::OfWindowClient(bar_);
    msk::test::SaveArtifact(shown,
                            "bar-" + std::to_string(position) + "-of-" + std::to_string(upper));
    return shown;
  }

  // Where the percentage text may be: centred in the bar, as wide as the text in the bar's
  // default font, plus a margin for glyph overhang.
  RECT TextBox(const std::wstring& text) const {
    const HDC dc = ::GetDC(bar_);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ::ReleaseDC(bar_, dc);
    const int centreX = kWidth / 2;
    const int centreY = kHeight / 2;
    return RECT{centreX - size.cx / 2 - 3, centreY - size.cy / 2 - 2, centreX + size.cx / 2 + 3,
                centreY + size.cy / 2 + 2};
  }

  static bool Inside(const RECT& box, int x, int y) {
    return x >= box.left && x < box.right && y >= box.top && y < box.bottom;
  }

  void ExpectFrame(const Pixels& shown, bool rightCapOverRightEdge) {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const Pixels topLeft = SkinBitmap(module, IDB_BAR_TOP_LEFT);
    const Pixels topRight = SkinBitmap(module, IDB_BAR_TOP_RIGHT);
    const Pixels bottomLeft = SkinBitmap(module, IDB_BAR_BOTTOM_LEFT);
    const Pixels bottomRight = SkinBitmap(module, IDB_BAR_BOTTOM_RIGHT);
    const Pixels left = SkinBitmap(module, IDB_BAR_LEFT);
    const Pixels right = SkinBitmap(module, IDB_BAR_RIGHT);
    const Pixels top = SkinBitmap(module, IDB_BAR_TOP);
    const Pixels bottom = SkinBitmap(module, IDB_BAR_BOTTOM);
    EXPECT_EQ(shown.FirstDifference(0, 0, 2, 2, topLeft, 0, 0), "") << "top-left corner";
    EXPECT_EQ(shown.FirstDifference(kWidth - 2, 0, 2, 2, topRight, 0, 0), "") << "top-right";
    EXPECT_EQ(shown.FirstDifference(0, kHeight - 2, 2, 2, bottomLeft, 0, 0), "") << "bottom-left";
    EXPECT_EQ(shown.FirstDifference(kWidth - 2, kHeight - 2, 2, 2, bottomRight, 0, 0), "")
        << "bottom-right";
    EXPECT_EQ(shown.FirstDifference(0, 2, 2, 22, left, 0, 0), "") << "left edge";
    EXPECT_EQ(shown.FirstDifference(2, kHeight - 2, 266, 2, bottom, 0, 0), "") << "bottom edge";
    // The top edge is 265 pixels stretched over 266: its rows are uniform, so every column of
    // the edge equals the bitmap's first.
    for (int x = 2; x < kWidth - 2; ++x) {
      EXPECT_EQ(shown.At(x, 0), top.At(0, 0)) << "top edge at " << x;
      EXPECT_EQ(shown.At(x, 1), top.At(0, 1)) << "top edge at " << x;
    }
    if (!rightCapOverRightEdge) {
      // 21 pixels high, tiled from the top of the edge.
      for (int y = 2; y < kHeight - 2; ++y) {
        EXPECT_EQ(shown.At(kWidth - 2, y), right.At(0, (y - 2) % 21)) << "right edge at " << y;
        EXPECT_EQ(shown.At(kWidth - 1, y), right.At(1, (y - 2) % 21)) << "right edge at " << y;
      }
    }
  }

  // Every pixel of columns [from, to) of the bar area outside `textBox` equals `expected(x, y)`.
  template <typename Expected>
  void ExpectColumns(const Pixels& shown, int from, int to, const RECT& textBox, Expected expected,
                     const char* what) {
    for (int y = kArea.top; y < kArea.bottom; ++y) {
      for (int x = from; x < to; ++x) {
        if (Inside(textBox, x, y)) continue;
        ASSERT_EQ(shown.At(x, y), expected(x, y))
            << what << " at " << x << "," << y << ": " << msk::test::DescribeColour(shown.At(x, y));
      }
    }
  }

  void ExpectText(const Pixels& shown, const std::wstring& text) {
    const RECT box = TextBox(text);
    const RECT dark = msk::test::DarkPixels(shown, kArea);
    EXPECT_GE(dark.left, box.left);
    EXPECT_LE(dark.right, box.right);
    EXPECT_GE(dark.top, box.top);
    EXPECT_LE(dark.bottom, box.bottom);
    // The glyphs span nearly the whole extent of the text.
    EXPECT_GE(dark.right - dark.left, box.right - box.left - 6 - 4)
        << "text narrower than expected";
  }

  msk::test::TopWindow window_{320, 60};
  HWND bar_ = nullptr;
  ui::SkinProgress skin_;
};

TEST_F(SkinProgressTest, AtZeroTheWholeBarIsUnfilledWithoutCapsAndShowsZeroPercent) {
  const Pixels shown = Show(0, 100);
  ExpectFrame(shown, false);
  const RECT text = TextBox(L"0%");
  // The unfilled colour starts at the very first column: it overdraws the left cap.
  ExpectColumns(
      shown, kArea.left, kArea.right, text, [](int, int) { return kUnfilled; }, "unfilled");
  ExpectText(shown, L"0%");
}

TEST_F(SkinProgressTest, AtFortyTwoPercentFillCapsAndUnfilledPartMeetWhereTheyShould) {
  const HMODULE module = ::GetModuleHandleW(nullptr);
  const Pixels fill = SkinBitmap(module, IDB_BAR_FILL);
  const Pixels leftCap = SkinBitmap(module, IDB_BAR_LEFT_CAP);
  const Pixels rightCap = SkinBitmap(module, IDB_BAR_RIGHT_CAP);
  const Pixels shown = Show(42, 100);
  ExpectFrame(shown, false);
  const RECT text = TextBox(L"42%");
  const int end = kArea.left + 111;  // 42 x 266 / 100, truncated
  ExpectColumns(
      shown, kArea.left, kArea.left + 2, text,
      [&](int x, int y) { return leftCap.At(x - kArea.left, y - kArea.top); }, "left cap");
  ExpectColumns(
      shown, kArea.left + 2, end, text, [&](int, int y) { return fill.At(0, y - kArea.top); },
      "fill");
  ExpectColumns(
      shown, end, end + 2, text, [&](int x, int y) { return rightCap.At(x - end, y - kArea.top); },
      "right cap");
  ExpectColumns(
      shown, end + 2, kArea.right, text, [](int, int) { return kUnfilled; }, "unfilled");
  ExpectText(shown, L"42%");
}

TEST_F(SkinProgressTest, AtTheUpperBoundTheFillCoversTheAreaAndTheRightCapSitsOnTheFrame) {
  const HMODULE module = ::GetModuleHandleW(nullptr);
  const Pixels fill = SkinBitmap(module, IDB_BAR_FILL);
  const Pixels rightCap = SkinBitmap(module, IDB_BAR_RIGHT_CAP);
  const Pixels shown = Show(100, 100);
  ExpectFrame(shown, true);
  const RECT text = TextBox(L"100%");
  ExpectColumns(
      shown, kArea.left + 2, kArea.right, text,
      [&](int, int y) { return fill.At(0, y - kArea.top); }, "fill");
  ExpectColumns(
      shown, kArea.right, kArea.right + 2, text,
      [&](int x, int y) { return rightCap.At(x - kArea.right, y - kArea.top); },
      "right cap over the right edge");
  ExpectText(shown, L"100%");
}

TEST_F(SkinProgressTest, TheInstallersRangeOfThirtyThousandAndARangeBelowAHundredBothShowHalf) {
  const HMODULE module = ::GetModuleHandleW(nullptr);
  const Pixels fill = SkinBitmap(module, IDB_BAR_FILL);
  const int end = kArea.left + 133;
  for (const auto& [position, upper] : {std::pair{15000, 30000}, std::pair{25, 50}}) {
    SCOPED_TRACE(std::to_string(position) + " of " + std::to_string(upper));
    const Pixels shown = Show(position, upper);
    const RECT text = TextBox(L"50%");
    ExpectColumns(
        shown, kArea.left + 2, std::min<int>(end, text.left), text,
        [&](int, int y) { return fill.At(0, y - kArea.top); }, "fill");
    ExpectColumns(
        shown, std::max<int>(end + 2, text.right), kArea.right, text,
        [](int, int) { return kUnfilled; }, "unfilled");
    ExpectText(shown, L"50%");
  }
}

TEST_F(SkinProgressTest, ARangeOfZeroPaintsAnEmptyBar) {
  ::SendMessageW(bar_, PBM_SETRANGE32, 0, 0);
  const Pixels shown = Show(0, 0);
  ExpectFrame(shown, false);
  ExpectColumns(
      shown, kArea.left, kArea.right, TextBox(L"0%"), [](int, int) { return kUnfilled; },
      "unfilled");
}

TEST_F(SkinProgressTest, NcCalcSizeWithoutValidAreasMakesTheWholeWindowTheClientArea) {
  RECT proposed{1, 2, 3, 4};
  EXPECT_EQ(::SendMessageW(bar_, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&proposed)), 0);
  EXPECT_EQ(proposed.left, 25);
  EXPECT_EQ(proposed.top, 17);
  EXPECT_EQ(proposed.right, 25 + kWidth);
  EXPECT_EQ(proposed.bottom, 17 + kHeight);
  EXPECT_EQ(::SendMessageW(bar_, WM_NCCALCSIZE, FALSE, 0), 0) << "no rectangle, no crash";
}

}  // namespace

// Whoever drives the bar without knowing it is skinned (Download /PAGE on the installer's page)
// runs the marquee with PBM_SETMARQUEE, as on a plain bar; the skin steps it on its own timer.
TEST_F(SkinProgressTest, SetMarqueeRunsTheSkinsMarqueeOnItsOwnTimerUntilItIsTurnedOff) {
  const Pixels still = Show(0, 100);
  EXPECT_EQ(::SendMessageW(bar_, PBM_SETMARQUEE, TRUE, 10), TRUE);
  EXPECT_TRUE(skin_.Marquee());
  ::InvalidateRect(bar_, nullptr, TRUE);
  const Pixels first = Pixels::OfWindowClient(bar_);
  EXPECT_NE(first.FirstDifference(0, 0, kWidth, kHeight, still, 0, 0), "") << "no marquee";
  const DWORD until = ::GetTickCount() + 300;
  while (::GetTickCount() < until) {
    msk::test::PumpMessages();
    ::Sleep(10);
  }
  const Pixels later = Pixels::OfWindowClient(bar_);
  EXPECT_NE(later.FirstDifference(0, 0, kWidth, kHeight, first, 0, 0), "") << "marquee stood";

  ::SendMessageW(bar_, PBM_SETMARQUEE, FALSE, 0);
  EXPECT_FALSE(skin_.Marquee());
  const Pixels after = Show(0, 100);
  EXPECT_EQ(after.FirstDifference(0, 0, kWidth, kHeight, still, 0, 0), "");
}
