// The skinning exports called through the built DLL, as an installer calls them, on real windows.
#include "res/resource.h"
#include "support/Pixels.h"
#include "support/SkinBitmaps.h"
#include "support/SkinExports.h"
#include "support/TestWindows.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

namespace {

using msk::test::CurrentProcedure;
using msk::test::Pixels;
using msk::test::TopWindow;

std::wstring TextOf(HWND window) {
  wchar_t text[1024] = {};
  ::GetWindowTextW(window, text, 1024);
  return text;
}

HBRUSH ColourBrush(HWND window, HWND child) {
  return reinterpret_cast<HBRUSH>(
      ::SendMessageW(window, WM_CTLCOLORBTN, 0, reinterpret_cast<LPARAM>(child)));
}

// An installer-like window larger than the background bitmap, with the controls below it so the
// whole bitmap area can be compared.
class InstallerWindow {
 public:
  InstallerWindow() {
    bar = window.AddChild(PROGRESS_CLASSW, L"", 0, RECT{20, 380, 270, 26}, 1004);
    status = window.AddChild(L"STATIC", L"", 0, RECT{300, 385, 330, 20}, 1006);
    ::SetWindowLongPtrW(bar, GWL_EXSTYLE, WS_EX_STATICEDGE);
    ::SetWindowPos(bar, nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    ::SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 30000));
    ::SendMessageW(bar, PBM_SETPOS, 12000, 0);
  }

  TopWindow window{640, 420};
  HWND bar = nullptr;
  HWND status = nullptr;
};

TEST(CaptureInstallDialog, DrawsTheBackgroundAtNaturalSizeAndSkinsBarAndStatusText) {
  msk::test::SkinExports dll;
  InstallerWindow installer;
  const HWND w = installer.window.Handle();
  ASSERT_EQ(dll.captureInstallDialog(w, installer.bar, installer.status), 1);

  EXPECT_EQ(::GetWindowLongPtrW(installer.bar, GWL_EXSTYLE) & WS_EX_STATICEDGE, 0);
  EXPECT_EQ(::SendMessageW(installer.bar, PBM_GETPOS, 0, 0), 0);

  ::InvalidateRect(w, nullptr, TRUE);
  const Pixels shown = Pixels::OfWindowClient(w);
  msk::test::SaveArtifact(shown, "install-window");
  const Pixels background = msk::test::SkinBitmap(dll.host.Module(), IDB_BACKGROUND);
  // Pixel for pixel from the top-left corner: neither stretched to the 640 x 420 client area nor
  // shifted.
  EXPECT_EQ(shown.FirstDifference(0, 0, 550, 370, background, 0, 0), "");

  const Pixels bar = Pixels::OfWindowClient(installer.bar);
  const Pixels corner = msk::test::SkinBitmap(dll.host.Module(), IDB_BAR_TOP_LEFT);
  EXPECT_EQ(bar.FirstDifference(0, 0, 2, 2, corner, 0, 0), "") << "the bar draws its frame";

  const std::wstring path =
      L"C:\\Program Files\\Velmar\\components\\runtime\\libraries\\graphics\\shaders\\compiled\\"
      L"cache\\payload-0001.bin";
  ::SetWindowTextW(installer.status, path.c_str());
  const std::wstring shownText = TextOf(installer.status);
  EXPECT_LT(shownText.size(), path.size());
  EXPECT_NE(shownText.find(L"..."), std::wstring::npos);
}

TEST(CaptureInstallDialog, AWindowThatCannotBeSkinnedHandsTheControlsBack) {
  msk::test::SkinExports dll;
  InstallerWindow installer;
  const WNDPROC barProcedure = CurrentProcedure(installer.bar);
  const WNDPROC statusProcedure = CurrentProcedure(installer.status);
  EXPECT_EQ(dll.captureInstallDialog(nullptr, installer.bar, installer.status), 0);
  EXPECT_EQ(CurrentProcedure(installer.bar), barProcedure);
  EXPECT_EQ(CurrentProcedure(installer.status), statusProcedure);
}

TEST(CaptureUninstallDialog, DrawsOnlyTheBandAndLeavesTheRestUnerased) {
  msk::test::SkinExports dll;
  TopWindow window(640, 420);
  const HWND w = window.Handle();
  ASSERT_EQ(dll.captureUninstallDialog(w), 1);
  ::InvalidateRect(w, nullptr, TRUE);
  const Pixels shown = Pixels::OfWindowClient(w);
  msk::test::SaveArtifact(shown, "uninstall-window");
  const Pixels band = msk::test::SkinBitmap(dll.host.Module(), IDB_UNINSTALL_BAND);
  EXPECT_EQ(shown.FirstDifference(0, 0, 550, 66, band, 0, 0), "");
  // The class background (grey) painted before the capture is still there below the band.
  EXPECT_EQ(shown.At(10, 200), RGB(128, 128, 128));
  EXPECT_EQ(shown.At(600, 30), RGB(128, 128, 128));

  window.Destroy();  // the skin ends with its window
  EXPECT_EQ(dll.captureUninstallDialog(nullptr), 0);
}

class CaptureDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    button_ = window_.AddChild(L"BUTTON", L"Next", BS_PUSHBUTTON, RECT{400, 320, 90, 26}, 1);
    otherButton_ = other_.AddChild(L"BUTTON", L"Next", BS_PUSHBUTTON, RECT{40, 40, 90, 26}, 1);
  }
  void TearDown() override { dll_.unload(); }

  msk::test::SkinExports dll_;
  TopWindow window_{550, 370};
  TopWindow other_{300, 200};
  HWND button_ = nullptr;
  HWND otherButton_ = nullptr;
};

TEST_F(CaptureDialogTest, CapturesOneWindowAtATimeUntilUnload) {
  const HWND w = window_.Handle();
  ASSERT_EQ(dll_.captureDialog(w), 1);
  const HBRUSH brush = ColourBrush(w, button_);
  EXPECT_NE(brush, msk::test::ClassBrush());
  EXPECT_EQ(::GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));

  EXPECT_EQ(dll_.captureDialog(w), 1) << "the same window is captured already";
  EXPECT_EQ(dll_.captureDialog(other_.Handle()), 0) << "one capture at a time";
  EXPECT_EQ(CurrentProcedure(other_.Handle()), &TopWindow::ClassProcedure);
  EXPECT_EQ(ColourBrush(w, button_), brush) << "the first capture stays in place";

  dll_.unload();
  EXPECT_EQ(CurrentProcedure(w), &TopWindow::ClassProcedure);
  EXPECT_EQ(ColourBrush(w, button_), msk::test::ClassBrush());
  EXPECT_EQ(::GetObjectType(brush), 0u) << "the brush went with the object";
  dll_.unload();  // nothing left to release

  ASSERT_EQ(dll_.captureDialog(other_.Handle()), 1) << "capturing again after Unload";
  EXPECT_NE(ColourBrush(other_.Handle(), otherButton_), msk::test::ClassBrush());
}

TEST_F(CaptureDialogTest, AWindowDestroyedBeforeUnloadTakesItsObjectAlong) {
  ASSERT_EQ(dll_.captureDialog(window_.Handle()), 1);
  const HBRUSH brush = ColourBrush(window_.Handle(), button_);
  window_.Destroy();
  EXPECT_EQ(::GetObjectType(brush), 0u);
  dll_.unload();  // must not touch the ended object
  EXPECT_EQ(dll_.captureDialog(other_.Handle()), 1);
}

// Somebody else's subclass: on kUnloadMessage it calls Unload, as an installer script does when it
// runs inside one of its window's messages.
WNDPROC previousProcedure = nullptr;
msk::test::SkinExports::UnloadFn unloadFromInside = nullptr;
constexpr UINT kUnloadMessage = WM_APP + 20;
LRESULT CALLBACK ScriptProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kUnloadMessage) {
    unloadFromInside();
    return 1;
  }
  return ::CallWindowProcW(previousProcedure, window, message, wParam, lParam);
}
void SubclassWithScript(HWND window, msk::test::SkinExports::UnloadFn unload) {
  unloadFromInside = unload;
  previousProcedure = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ScriptProcedure)));
}

TEST_F(CaptureDialogTest, UnloadAfterSomebodySubclassedTheWindowLeavesTheirProcedureWorking) {
  const HWND w = window_.Handle();
  ASSERT_EQ(dll_.captureDialog(w), 1);
  const HBRUSH brush = ColourBrush(w, button_);
  SubclassWithScript(w, dll_.unload);
  dll_.unload();
  EXPECT_EQ(CurrentProcedure(w), &ScriptProcedure);
  EXPECT_EQ(::GetObjectType(brush), 0u) << "released all the same";
  EXPECT_EQ(ColourBrush(w, button_), msk::test::ClassBrush());
  EXPECT_EQ(::SendMessageW(w, msk::test::kProbeMessage, 0, 0), msk::test::kProbeAnswer);
  EXPECT_EQ(dll_.captureDialog(w), 1) << "a new capture goes on top";
  EXPECT_NE(ColourBrush(w, button_), msk::test::ClassBrush());
}

TEST_F(CaptureDialogTest, UnloadCalledWhileTheCapturedWindowHandlesAMessageWaitsForIt) {
  const HWND w = window_.Handle();
  SubclassWithScript(w, dll_.unload);
  ASSERT_EQ(dll_.captureDialog(w), 1);
  const HBRUSH brush = ColourBrush(w, button_);
  // Our object passes kUnloadMessage on to the script's procedure, which calls Unload while our
  // object is still on the stack.
  EXPECT_EQ(::SendMessageW(w, kUnloadMessage, 0, 0), 1);
  EXPECT_EQ(CurrentProcedure(w), &ScriptProcedure) << "the window got its procedure back";
  EXPECT_EQ(::GetObjectType(brush), 0u);
  EXPECT_EQ(dll_.captureDialog(w), 1);
}

}  // namespace
