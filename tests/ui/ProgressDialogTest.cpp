// The download dialog around a scripted task, without a network: how it answers a close request
// that comes from outside (WM_CLOSE, as "End task" sends it) while the download runs.
#include "support/DialogDriver.h"
#include "tools/WindowsHandles.h"
#include "ui/ProgressDialog.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

namespace {

TEST(ProgressDialog, ACloseRequestFromOutsideCancelsOrIsIgnoredButNeverEndsTheDialog) {
  for (const bool cancelButton : {true, false}) {
    SCOPED_TRACE(cancelButton ? "with a Cancel button" : "plain");
    ui::DownloadDialogLook look;
    look.cancelButton = cancelButton;
    const Tools::UniqueKernelHandle closeHandled(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(closeHandled.IsValid());
    std::atomic<bool> visibleAfterClose{false};
    msk::test::DialogDriver driver(::GetCurrentThreadId(), [&](HWND dialog) {
      ::SendMessageW(dialog, WM_CLOSE, 0, 0);  // handled once it returns
      visibleAfterClose = ::IsWindowVisible(dialog) != FALSE;
      ::SetEvent(closeHandled.Get());
    });
    // The download runs until the dialog has handled the request, and ends as a cancel would.
    bool cancelled = false;
    const bool answer = ui::RunDownloadDialog(
        nullptr, look, [&](download::ProgressView*, const download::CancelSignal& cancel) {
          ::WaitForSingleObject(closeHandled.Get(), 30000);
          cancelled = cancel.IsRaised();
          return !cancelled;
        });
    ASSERT_TRUE(driver.Finish().sawDialog);
    EXPECT_TRUE(visibleAfterClose.load());
    EXPECT_EQ(cancelled, cancelButton);
    EXPECT_EQ(answer, !cancelButton);
  }
}

}  // namespace
