// Capture and release cycles give back every GDI object they create. The exports run in this
// program (linked from the plug-in's core library) so their object count can be read; the DLL is
// loaded as well so that the progress bar finds its skin module by name, as in an installer.
//
// The count is the library's own (ui::gdi::LiveObjectCountForTesting: every owned GDI object is
// counted by its owner). The system's count, GetGuiResources(GR_GDIOBJECTS), is compared as well
// where the system keeps one; wine answers 0 and ERROR_CALL_NOT_IMPLEMENTED.
#include "plugin/Exports.h"
#include "plugin/ModuleState.h"
#include "support/PluginHost.h"
#include "support/TestWindows.h"
#include "ui/ForTesting.h"
#include "ui/ModuleContext.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

constexpr int kCycles = 100;

DWORD SystemGdiCount() {
  return ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
}

class GdiBalance : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(host_.Module(), nullptr);
    // This program carries the library's resources; the DLL provides the skin module. The module
    // state becomes the user interface's context as DllMain makes it in the DLL.
    plugin::ModuleState& state = plugin::ModuleState::Instance();
    state.SetResourceInstance(::GetModuleHandleW(nullptr));
    ui::module::Provide(&state);
    msk::test::InitCommonControlsOnce();
  }

  // One installer page: skinned, painted, given a status text, released, destroyed. The page is
  // a child panel of one lasting top-level window: top-level windows are slow to make under wine.
  void InstallerCycle() {
    const HWND page = hostWindow_.AddChild(L"STATIC", L"", SS_NOTIFY, RECT{0, 0, 560, 380}, 10);
    const HWND bar =
        hostWindow_.AddChild(PROGRESS_CLASSW, L"", 0, RECT{20, 300, 270, 26}, 1004, page);
    const HWND status = hostWindow_.AddChild(L"STATIC", L"", 0, RECT{20, 330, 500, 20}, 1006, page);
    const HWND button =
        hostWindow_.AddChild(L"BUTTON", L"Next", BS_PUSHBUTTON, RECT{440, 340, 90, 26}, 1, page);
    ASSERT_EQ(CaptureInstallDialog(page, bar, status), 1);
    ASSERT_EQ(CaptureDialog(page), 1);
    ::SendMessageW(bar, PBM_SETPOS, 40, 0);
    ::SetWindowTextW(status,
                     L"C:\\Program Files\\Velmar\\a\\rather\\long\\path\\to\\some\\file.dat");
    ::SendMessageW(page, WM_CTLCOLORBTN, 0, reinterpret_cast<LPARAM>(button));
    ::RedrawWindow(page, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Unload();
    ::DestroyWindow(page);
  }

  void UninstallerCycle() {
    const HWND page = hostWindow_.AddChild(L"STATIC", L"", 0, RECT{0, 0, 560, 200}, 11);
    ASSERT_EQ(CaptureUninstallDialog(page), 1);
    ::RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ::DestroyWindow(page);
  }

  msk::test::PluginHost host_;
  msk::test::TopWindow hostWindow_{560, 380};
};

TEST_F(GdiBalance, AHundredCaptureAndReleaseCyclesLeaveNothingBehind) {
  InstallerCycle();  // first use loads system resources that stay
  UninstallerCycle();
  const std::ptrdiff_t ownedBefore = ui::gdi::LiveObjectCountForTesting();
  const std::size_t recordsBefore = ui::detail::LiveBindingRecordsForTesting();
  const DWORD systemBefore = SystemGdiCount();

  for (int i = 0; i < kCycles; ++i) {
    InstallerCycle();
    UninstallerCycle();
    if (HasFatalFailure()) return;
  }

  EXPECT_EQ(ui::gdi::LiveObjectCountForTesting(), ownedBefore);
  EXPECT_EQ(ui::detail::LiveBindingRecordsForTesting(), recordsBefore);
  const DWORD systemAfter = SystemGdiCount();
  if (systemBefore == 0 && systemAfter == 0) {
    RecordProperty("system_gdi_count", "not kept by this system");
  } else {
    EXPECT_EQ(systemAfter, systemBefore);
  }
}

TEST_F(GdiBalance, TheCountSeesWhatTheSkinsHold) {
  const std::ptrdiff_t before = ui::gdi::LiveObjectCountForTesting();
  msk::test::TopWindow window(560, 380);
  const HWND bar = window.AddChild(PROGRESS_CLASSW, L"", 0, RECT{20, 300, 270, 26}, 1004);
  const HWND button = window.AddChild(L"BUTTON", L"Next", BS_PUSHBUTTON, RECT{440, 340, 90, 26}, 1);
  (void)button;
  ASSERT_EQ(CaptureInstallDialog(window.Handle(), bar, nullptr), 1);
  // Background, top edge, and bitmap + brush for each of the seven frame pieces, fill and caps.
  EXPECT_EQ(ui::gdi::LiveObjectCountForTesting() - before, 2 + 2 * 10);
  ASSERT_EQ(CaptureDialog(window.Handle()), 1);
  EXPECT_EQ(ui::gdi::LiveObjectCountForTesting() - before, 2 + 2 * 10 + 2)
      << "one button: bitmap and brush";
  Unload();
  EXPECT_EQ(ui::gdi::LiveObjectCountForTesting() - before, 2 + 2 * 10);
  window.Destroy();
  EXPECT_EQ(ui::gdi::LiveObjectCountForTesting(), before);
}

}  // namespace
