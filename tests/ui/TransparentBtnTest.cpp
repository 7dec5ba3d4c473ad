// Button backgrounds cut from the skin bitmap, for every button-class descendant of a window.
#include "res/resource.h"
#include "support/Pixels.h"
#include "support/SkinBitmaps.h"
#include "support/TestWindows.h"
#include "ui/TransparentBtn.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using msk::test::Pixels;

// What `brush` paints over a `width` x `height` control, brush origin at its corner as the control
// paints it.
Pixels PaintedBy(HBRUSH brush, int width, int height) {
  return Pixels::Painted(width, height, [&](HDC dc) {
    const RECT all{0, 0, width, height};
    ::FillRect(dc, &all, brush);
  });
}

class TransparentBtnTest : public ::testing::Test {
 protected:
  void SetUp() override {
    push_ = window_.AddChild(L"BUTTON", L"Next", BS_PUSHBUTTON, RECT{350, 320, 90, 26}, 1);
    label_ = window_.AddChild(L"STATIC", L"Label", 0, RECT{20, 320, 100, 20}, 2);
    // A group inside a child panel: the check box is a grandchild of the skinned window.
    panel_ = window_.AddChild(L"STATIC", L"", 0, RECT{200, 90, 220, 160}, 3);
    group_ =
        window_.AddChild(L"BUTTON", L"Options", BS_GROUPBOX, RECT{10, 10, 200, 130}, 4, panel_);
    check_ = window_.AddChild(L"Button", L"Desktop icon", BS_AUTOCHECKBOX, RECT{25, 37, 150, 20}, 5,
                              panel_);
  }

  // The rectangle of `child` in the skinned window's client coordinates.
  RECT Placement(HWND child) const {
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, window_.Handle(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }

  void ExpectBackgroundCutAt(HBRUSH brush, HWND child) {
    ASSERT_NE(brush, nullptr);
    const RECT at = Placement(child);
    const int width = at.right - at.left;
    const int height = at.bottom - at.top;
    const Pixels skin = msk::test::SkinBitmap(::GetModuleHandleW(nullptr), IDB_BACKGROUND);
    EXPECT_EQ(
        PaintedBy(brush, width, height).FirstDifference(0, 0, width, height, skin, at.left, at.top),
        "");
  }

  msk::test::TopWindow window_{550, 370};
  HWND push_ = nullptr;
  HWND label_ = nullptr;
  HWND panel_ = nullptr;
  HWND group_ = nullptr;
  HWND check_ = nullptr;
};

TEST_F(TransparentBtnTest, EveryButtonDescendantGetsTheSkinCutAtItsPosition) {
  auto* skin = ui::SelfDeletingWindow::AttachToWindow(
      std::make_unique<ui::TransparentBtn>(window_.Handle()), window_.Handle());
  ASSERT_NE(skin, nullptr);
  const HWND w = window_.Handle();
  const auto push = reinterpret_cast<HBRUSH>(
      ::SendMessageW(w, WM_CTLCOLORBTN, 0, reinterpret_cast<LPARAM>(push_)));
  const auto check = reinterpret_cast<HBRUSH>(
      ::SendMessageW(w, WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(check_)));
  const auto group = reinterpret_cast<HBRUSH>(
      ::SendMessageW(w, WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(group_)));
  ExpectBackgroundCutAt(push, push_);
  ExpectBackgroundCutAt(check, check_);
  ExpectBackgroundCutAt(group, group_);
  EXPECT_NE(push, check);
  EXPECT_EQ(skin->BrushFor(check_), check);
}

TEST_F(TransparentBtnTest, ColourMessagesForOtherChildrenGoOnToTheWindow) {
  ASSERT_NE(ui::SelfDeletingWindow::AttachToWindow(
                std::make_unique<ui::TransparentBtn>(window_.Handle()), window_.Handle()),
            nullptr);
  const HWND w = window_.Handle();
  EXPECT_EQ(::SendMessageW(w, WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(label_)),
            reinterpret_cast<LRESULT>(msk::test::ClassBrush()));
  EXPECT_EQ(::SendMessageW(w, msk::test::kProbeMessage, 0, 0), msk::test::kProbeAnswer);
}

TEST(TransparentBtn, AWindowWithoutButtonsPassesEveryColourMessageOn) {
  msk::test::TopWindow window(300, 200);
  const HWND label = window.AddChild(L"STATIC", L"Label", 0, RECT{10, 10, 100, 20}, 1);
  auto* skin = ui::SelfDeletingWindow::AttachToWindow(
      std::make_unique<ui::TransparentBtn>(window.Handle()), window.Handle());
  ASSERT_NE(skin, nullptr);
  EXPECT_EQ(::SendMessageW(window.Handle(), WM_CTLCOLORBTN, 0, reinterpret_cast<LPARAM>(label)),
            reinterpret_cast<LRESULT>(msk::test::ClassBrush()));
  EXPECT_EQ(::SendMessageW(window.Handle(), WM_CTLCOLORSTATIC, 0, 0),
            reinterpret_cast<LRESULT>(msk::test::ClassBrush()));
}

}  // namespace
