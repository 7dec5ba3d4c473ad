// Work handed to a window's thread from other threads, as a section hands the installer window's
// subclass to NSIS's user-interface thread.
#include "support/TestWindows.h"
#include "ui/WindowThreadCall.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace {

TEST(WindowThreadCall, WorkFromOtherThreadsRunsOnceEachOnTheWindowsThreadWhileTheyWait) {
  msk::test::TopWindow window(100, 100);
  const DWORD windowThread = ::GetCurrentThreadId();
  struct Caller {
    DWORD ranOn = 0;
    int runs = 0;
    int runsWhenAnswered = 0;
    bool answer = false;
  };
  std::array<Caller, 3> calls{};
  std::atomic<std::size_t> finished{0};
  std::vector<std::thread> callers;
  for (Caller& call : calls) {
    callers.emplace_back([&] {
      call.answer = ui::RunOnWindowThread(window.Handle(), [&] {
        call.ranOn = ::GetCurrentThreadId();
        ++call.runs;
      });
      call.runsWhenAnswered = call.runs;  // the work has run by the time the call returns
      ++finished;
    });
  }
  while (finished.load() < calls.size()) {
    msk::test::PumpMessages();
    ::Sleep(1);
  }
  for (std::thread& caller : callers) caller.join();
  for (const Caller& call : calls) {
    EXPECT_TRUE(call.answer);
    EXPECT_EQ(call.runsWhenAnswered, 1);
    EXPECT_EQ(call.runs, 1);
    EXPECT_EQ(call.ranOn, windowThread);
  }
}

TEST(WindowThreadCall, OnTheWindowsOwnThreadItRunsAtOnceAndForAWindowThatIsGoneNotAtAll) {
  msk::test::TopWindow window(100, 100);
  int runs = 0;
  EXPECT_TRUE(ui::RunOnWindowThread(window.Handle(), [&] { ++runs; }));
  EXPECT_EQ(runs, 1);
  const HWND gone = window.Handle();
  window.Destroy();
  bool answer = true;
  std::thread caller([&] { answer = ui::RunOnWindowThread(gone, [&] { ++runs; }); });
  caller.join();
  EXPECT_FALSE(answer);
  EXPECT_EQ(runs, 1);
}

}  // namespace
