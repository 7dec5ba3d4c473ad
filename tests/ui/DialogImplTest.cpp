// Modal dialogs through ui::DialogImpl, built from the library's own templates (the test program
// carries the library's resource script).
#include "res/resource.h"
#include "support/TestWindows.h"
#include "ui/DialogImpl.h"
#include "ui/ForTesting.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace {

constexpr UINT kAnsweredMessage = WM_APP + 10;
constexpr UINT kIgnoredMessage = WM_APP + 11;
constexpr UINT kCheckAnswers = WM_APP + 12;

class TryAgainDialog final : public ui::DialogImpl {
 public:
  TryAgainDialog() : DialogImpl(IDD_CONNECTION_ERROR) {}

  LPARAM initParam = 0;
  HWND windowAtInit = nullptr;
  LRESULT answeredSeen = -1;
  LRESULT ignoredSeen = -1;
  int finalMessages = 0;
  std::function<void(HWND)> onInit;

  MSK_BEGIN_MSG_MAP(TryAgainDialog)
  MSK_MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
  MSK_MESSAGE_HANDLER(kAnsweredMessage, OnAnswered)
  MSK_MESSAGE_HANDLER(kCheckAnswers, OnCheckAnswers)
  MSK_COMMAND_HANDLER(IDC_TRY_AGAIN_BUTTON, BN_CLICKED, OnTryAgain)
  MSK_END_MSG_MAP()

 private:
  LRESULT OnInitDialog(UINT, WPARAM, LPARAM lParam, bool&) {
    initParam = lParam;
    windowAtInit = Window();
    if (onInit) onInit(Window());
    return FALSE;
  }
  LRESULT OnAnswered(UINT, WPARAM, LPARAM, bool&) { return 77; }
  LRESULT OnCheckAnswers(UINT, WPARAM, LPARAM, bool&) {
    // What another window sees when it sends to the dialog: DefDlgProc answers with
    // DWLP_MSGRESULT for handled messages and 0 for the rest.
    answeredSeen = ::SendMessageW(Window(), kAnsweredMessage, 0, 0);
    ignoredSeen = ::SendMessageW(Window(), kIgnoredMessage, 0, 0);
    ::PostMessageW(Window(), WM_COMMAND, MAKEWPARAM(IDC_TRY_AGAIN_BUTTON, BN_CLICKED), 0);
    return 0;
  }
  LRESULT OnTryAgain(WORD, WORD, HWND, bool&) {
    EndDialog(1);
    return 0;
  }
  void OnFinalMessage(HWND) noexcept override { ++finalMessages; }
};

void ClickTryAgainLater(HWND dialog) {
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_TRY_AGAIN_BUTTON, BN_CLICKED), 0);
}

TEST(DialogImpl, RunsModallyFromItsTemplateAndEndsWithTheValueGiven) {
  const std::size_t recordsBefore = ui::detail::LiveBindingRecordsForTesting();
  TryAgainDialog dialog;
  dialog.onInit = [](HWND window) {
    // Escape arrives as IDCANCEL, which the map does not handle: the dialog must stay up.
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    ::PostMessageW(window, kCheckAnswers, 0, 0);
  };
  EXPECT_EQ(dialog.RunModal(nullptr, 0x5EED), 1);
  EXPECT_EQ(dialog.initParam, 0x5EED);
  EXPECT_NE(dialog.windowAtInit, nullptr);
  EXPECT_EQ(dialog.answeredSeen, 77);
  EXPECT_EQ(dialog.ignoredSeen, 0);
  EXPECT_EQ(dialog.finalMessages, 1);
  EXPECT_EQ(dialog.Window(), nullptr);
  EXPECT_FALSE(::IsWindow(dialog.windowAtInit));
  EXPECT_EQ(ui::detail::LiveBindingRecordsForTesting(), recordsBefore);
}

TEST(DialogImpl, AMissingTemplateFailsAndLeavesNothingBehindForTheNextDialog) {
  class Missing final : public ui::DialogImpl{
    public : Missing() : DialogImpl(4242){} MSK_BEGIN_MSG_MAP(Missing) MSK_END_MSG_MAP()
  } missing;
  EXPECT_EQ(missing.RunModal(nullptr, 0), -1);

  TryAgainDialog dialog;
  dialog.onInit = ClickTryAgainLater;
  EXPECT_EQ(dialog.RunModal(nullptr, 0), 1);
  EXPECT_NE(dialog.windowAtInit, nullptr) << "the second dialog found its own object";
}

TEST(DialogImpl, ADialogStartedFromInsideAnotherFindsItsOwnObject) {
  TryAgainDialog outer;
  TryAgainDialog inner;
  inner.onInit = ClickTryAgainLater;
  outer.onInit = [&inner](HWND window) {
    EXPECT_EQ(inner.RunModal(window, 2), 1);
    ClickTryAgainLater(window);
  };
  EXPECT_EQ(outer.RunModal(nullptr, 1), 1);
  EXPECT_EQ(outer.initParam, 1);
  EXPECT_EQ(inner.initParam, 2);
  EXPECT_NE(inner.windowAtInit, outer.windowAtInit);
}

TEST(DialogImpl, DialogsStartedOnTwoThreadsAtOnceEachFindTheirOwnObject) {
  TryAgainDialog dialogs[2];
  DWORD threads[2] = {};
  INT_PTR answers[2] = {};
  std::thread workers[2];
  for (int i = 0; i < 2; ++i) {
    dialogs[i].onInit = [&threads, i](HWND window) {
      threads[i] = ::GetWindowThreadProcessId(window, nullptr);
      ClickTryAgainLater(window);
    };
    workers[i] =
        std::thread([&dialogs, &answers, i] { answers[i] = dialogs[i].RunModal(nullptr, i + 10); });
  }
  for (auto& worker : workers) worker.join();
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(answers[i], 1);
    EXPECT_EQ(dialogs[i].initParam, i + 10);
  }
  EXPECT_NE(threads[0], threads[1]);
}

}  // namespace
