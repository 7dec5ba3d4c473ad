// ShowErrorWindow called through the built DLL as an installer calls it, worked from another
// thread the way a user works it: the buttons, the close commands, and the keys that do nothing.
#include "res/resource.h"
#include "support/DialogDriver.h"
#include "support/DownloadExports.h"
#include "support/Pixels.h"
#include "support/SkinBitmaps.h"
#include "support/TestWindows.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

namespace {

using msk::test::ClickButton;
using msk::test::DialogDriver;
using msk::test::DownloadExports;
using msk::test::Pixels;

// Runs the export with `script` working the dialog; answers the export's result.
int ShowWith(const DownloadExports& dll, const std::function<void(HWND)>& script) {
  DialogDriver driver(::GetCurrentThreadId(), script);
  const int answer = dll.showErrorWindow();
  EXPECT_TRUE(driver.Finish().sawDialog);
  return answer;
}

// Control `id`'s rectangle in the dialog's client coordinates.
RECT ClientRectOf(HWND dialog, int id) {
  RECT rect{};
  ::GetWindowRect(::GetDlgItem(dialog, id), &rect);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  ::GetWindowTextW(window, text, 256);
  return text;
}

TEST(ShowErrorWindow, TryAgainAnswersOne) {
  DownloadExports dll;
  Pixels shown = Pixels::Painted(1, 1, [](HDC) {});
  std::wstring caption, tryAgain, cancel;
  EXPECT_EQ(ShowWith(dll,
                     [&](HWND dialog) {
                       caption = TextOf(dialog);
                       tryAgain = TextOf(::GetDlgItem(dialog, IDC_TRY_AGAIN_BUTTON));
                       cancel = TextOf(::GetDlgItem(dialog, IDC_CANCEL_BUTTON));
                       shown = Pixels::OfWindowClient(dialog);
                       ClickButton(dialog, IDC_TRY_AGAIN_BUTTON);
                     }),
            1);
  EXPECT_EQ(caption, L"Velmar Installation");
  EXPECT_EQ(tryAgain, L"Try Again");
  EXPECT_EQ(cancel, L"Cancel");

  msk::test::SaveArtifact(shown, "error-dialog");
  // The whole skin bitmap is stretched over the client area: its corners land in the corners.
  const Pixels background = msk::test::SkinBitmap(dll.host.Module(), IDB_BACKGROUND);
  ASSERT_GT(shown.Width(), 500);
  EXPECT_EQ(shown.At(0, 0), background.At(0, 0));
  EXPECT_EQ(shown.At(shown.Width() - 1, shown.Height() - 1),
            background.At(background.Width() - 1, background.Height() - 1));
  const RECT band{16, shown.Height() / 2 - 30, shown.Width() / 2, shown.Height() / 2};
  const RECT text = msk::test::DarkPixels(shown, band);
  EXPECT_GT(text.right - text.left, 100) << "no message in the band";
  EXPECT_LT(text.left, 16 + 10);
}

// The window has a fixed pixel size while its buttons are placed in dialog units: under wine the
// shell font makes those units so wide that "Cancel" would lie beyond the window's edge.
TEST(ShowErrorWindow, BothButtonsLieInsideTheClientAreaInTheTemplatesOrderAndSpacing) {
  DownloadExports dll;
  RECT client{}, tryAgain{}, cancel{}, templateGap{231 + 52, 0, 300, 0};
  EXPECT_EQ(ShowWith(dll,
                     [&](HWND dialog) {
                       ::GetClientRect(dialog, &client);
                       tryAgain = ClientRectOf(dialog, IDC_TRY_AGAIN_BUTTON);
                       cancel = ClientRectOf(dialog, IDC_CANCEL_BUTTON);
                       ::MapDialogRect(dialog, &templateGap);
                       ClickButton(dialog, IDC_CANCEL_BUTTON);
                     }),
            0);
  for (const RECT& button : {tryAgain, cancel}) {
    EXPECT_GT(button.right, button.left);
    EXPECT_GE(button.left, client.left);
    EXPECT_GE(button.top, client.top);
    EXPECT_LE(button.right, client.right);
    EXPECT_LE(button.bottom, client.bottom);
  }
  EXPECT_EQ(cancel.left - tryAgain.right, templateGap.right - templateGap.left)
      << "Try Again, then Cancel, as far apart as the template has them";
  EXPECT_EQ(cancel.top, tryAgain.top);
}

TEST(ShowErrorWindow, CancelAndEveryWayOfClosingAnswerZero) {
  DownloadExports dll;
  EXPECT_EQ(ShowWith(dll, [](HWND dialog) { ClickButton(dialog, IDC_CANCEL_BUTTON); }), 0);
  EXPECT_EQ(ShowWith(dll, [](HWND dialog) { ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }),
            0);
  EXPECT_EQ(ShowWith(dll, [](HWND dialog) { msk::test::PressAltF4(dialog); }), 0);
  EXPECT_EQ(ShowWith(dll, [](HWND dialog) { ::PostMessageW(dialog, WM_CLOSE, 0, 0); }), 0);
}

TEST(ShowErrorWindow, EscapeEnterAndStrayCommandsLeaveItOpen) {
  DownloadExports dll;
  bool openAfterKeys = false;
  EXPECT_EQ(ShowWith(dll,
                     [&](HWND dialog) {
                       msk::test::PressKey(dialog, VK_ESCAPE);
                       msk::test::PressKey(dialog, VK_RETURN);
                       ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
                       ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
                       // A notification other than a click does not count as one.
                       ::PostMessageW(dialog, WM_COMMAND,
                                      MAKEWPARAM(IDC_TRY_AGAIN_BUTTON, BN_SETFOCUS), 0);
                       ::Sleep(500);
                       openAfterKeys = ::IsWindow(dialog) && ::IsWindowVisible(dialog);
                       ClickButton(dialog, IDC_CANCEL_BUTTON);
                     }),
            0);
  EXPECT_TRUE(openAfterKeys);
}

TEST(ShowErrorWindow, IsModalOverTheActiveWindow) {
  DownloadExports dll;
  msk::test::TopWindow installer(600, 400);
  ::SetActiveWindow(installer.Handle());
  ASSERT_EQ(::GetActiveWindow(), installer.Handle());
  HWND owner = nullptr;
  bool installerDisabled = false;
  EXPECT_EQ(ShowWith(dll,
                     [&](HWND dialog) {
                       owner = ::GetWindow(dialog, GW_OWNER);
                       installerDisabled = !::IsWindowEnabled(installer.Handle());
                       ClickButton(dialog, IDC_TRY_AGAIN_BUTTON);
                     }),
            1);
  EXPECT_EQ(owner, installer.Handle());
  EXPECT_TRUE(installerDisabled);
  EXPECT_TRUE(::IsWindowEnabled(installer.Handle()));
}

}  // namespace
