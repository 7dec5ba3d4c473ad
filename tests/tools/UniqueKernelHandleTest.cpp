#include "tools/WindowsHandles.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

using Tools::UniqueKernelHandle;

HANDLE NewEvent() {
  return ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

bool IsOpen(HANDLE handle) {
  DWORD flags = 0;
  return ::GetHandleInformation(handle, &flags) != FALSE;
}

TEST(UniqueKernelHandle, ZeroAndInvalidHandleValueAreBothEmpty) {
  EXPECT_FALSE(UniqueKernelHandle{});
  EXPECT_FALSE(UniqueKernelHandle{INVALID_HANDLE_VALUE});
  UniqueKernelHandle held{NewEvent()};
  EXPECT_TRUE(held);
}

TEST(UniqueKernelHandle, ClosesOnDestructionResetAndPutButNotOnRelease) {
  const HANDLE first = NewEvent();
  { const UniqueKernelHandle holder{first}; }
  EXPECT_FALSE(IsOpen(first));

  const HANDLE second = NewEvent();
  const HANDLE third = NewEvent();
  UniqueKernelHandle holder{second};
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

TEST(UniqueKernelHandle, MovingHandsOverOwnership) {
  const HANDLE event = NewEvent();
  UniqueKernelHandle source{event};
  UniqueKernelHandle target{NewEvent()};
  const HANDLE replaced = target.Get();
  target = std::move(source);
  EXPECT_FALSE(IsOpen(replaced));
  EXPECT_FALSE(source);  // NOLINT(bugprone-use-after-move): moved-from is empty by contract
  EXPECT_EQ(target.Get(), event);
  { const UniqueKernelHandle last{std::move(target)}; }
  EXPECT_FALSE(IsOpen(event));
}

}  // namespace
