#include "tools/KernelHandle.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

using Tools::KernelHandle;

HANDLE NewEvent() {
  return ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

bool IsOpen(HANDLE handle) {
  DWORD flags = 0;
  return ::GetHandleInformation(handle, &flags) != FALSE;
}

TEST(KernelHandle, ZeroAndInvalidHandleValueAreBothEmpty) {
  EXPECT_FALSE(KernelHandle{});
  EXPECT_FALSE(KernelHandle{INVALID_HANDLE_VALUE});
  KernelHandle held{NewEvent()};
  EXPECT_TRUE(held);
}

TEST(KernelHandle, ClosesOnDestructionResetAndPutButNotOnRelease) {
  const HANDLE first = NewEvent();
  { const KernelHandle holder{first}; }
  EXPECT_FALSE(IsOpen(first));

  const HANDLE second = NewEvent();
  const HANDLE third = NewEvent();
  KernelHandle holder{second};
  holder.Reset(second);  // the same handle again: still owned, not closed
  EXPECT_TRUE(IsOpen(second));
  holder.Reset(third);
  EXPECT_FALSE(IsOpen(second));
  *holder.Put() = INVALID_HANDLE_VALUE;  // as a failing CreateFileW would leave it
  EXPECT_FALSE(IsOpen(third));
  EXPECT_FALSE(holder);

  const HANDLE fourth = NewEvent();
  holder.Reset(fourth);
  EXPECT_EQ(holder.Release(), fourth);
  holder.Reset();
  EXPECT_TRUE(IsOpen(fourth));
  ::CloseHandle(fourth);
}

TEST(KernelHandle, MovingHandsOverOwnership) {
  const HANDLE event = NewEvent();
  KernelHandle source{event};
  KernelHandle target{NewEvent()};
  const HANDLE replaced = target.Get();
  target = std::move(source);
  EXPECT_FALSE(IsOpen(replaced));
  EXPECT_FALSE(source);  // NOLINT(bugprone-use-after-move): moved-from is empty by contract
  EXPECT_EQ(target.Get(), event);
  { const KernelHandle last{std::move(target)}; }
  EXPECT_FALSE(IsOpen(event));
}

}  // namespace
