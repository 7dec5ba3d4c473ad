#pragma once
// Finds the modal dialog that a blocking export shows and works it from another thread, the way a
// user would: button clicks (BM_CLICK), keys posted to the dialog, the close command.
//
//   msk::test::DialogDriver driver(::GetCurrentThreadId(), [](HWND dialog) {
//     msk::test::ClickButton(dialog, 1002);
//   });
//   EXPECT_EQ(showErrorWindow(), 1);
//   EXPECT_TRUE(driver.Finish().sawDialog);
//
// The script runs on a helper thread once a visible top-level dialog (class "#32770") of the
// watched thread exists. Results stay in the driver until Finish(), which the test thread reads, so
// no assertion is made off the test thread.
//
// Thread-safety: construct and Finish on the test thread; the script runs on the helper thread.

#include <windows.h>

#include <chrono>
#include <functional>
#include <thread>

namespace msk::test {

// A visible top-level dialog of `threadId`, or null.
HWND FindThreadDialog(DWORD threadId) noexcept;
// Polls for such a dialog until `timeout`; null when none appeared.
HWND WaitForThreadDialog(DWORD threadId, std::chrono::milliseconds timeout) noexcept;

// What a user's click does: the button's WM_LBUTTONDOWN/UP and its notification to the dialog.
void ClickButton(HWND dialog, int buttonId) noexcept;
// A key press as it arrives from the keyboard at the dialog (WM_KEYDOWN, WM_KEYUP).
void PressKey(HWND dialog, WPARAM virtualKey) noexcept;
// Alt+F4 as the keyboard delivers it (WM_SYSKEYDOWN with the Alt flag).
void PressAltF4(HWND dialog) noexcept;

class DialogDriver {
 public:
  struct Outcome {
    bool sawDialog = false;
    std::chrono::milliseconds appearedAfter{0};
  };

  DialogDriver(DWORD threadId, std::function<void(HWND)> script,
               std::chrono::milliseconds timeout = std::chrono::seconds(30));
  ~DialogDriver();
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  // Waits for the helper thread and answers what it saw.
  Outcome Finish();

 private:
  Outcome outcome_;
  std::thread helper_;
};

}  // namespace msk::test
