// The owner template's own rules, on kinds made up for the test: integers as handles, whose close
// function records what it was given. The Windows kinds are tried on real handles in
// UniqueKernelHandleTest.cpp.
#include "tools/UniqueHandle.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <utility>
#include <vector>

namespace {

std::vector<int> closed;  // every handle the made-up kinds closed, in order
std::ptrdiff_t live = 0;  // the counted kind's count

void RecordClose(int handle) noexcept {
  closed.push_back(handle);
}

// Two invalid values, as a kernel handle has 0 and INVALID_HANDLE_VALUE.
using TwoInvalidTraits = Tools::HandleTraits<int, &RecordClose, 0, -1>;
using UniqueTestHandle = Tools::UniqueHandle<TwoInvalidTraits>;

struct CountedTraits : TwoInvalidTraits {
  static void CountForTesting(std::ptrdiff_t change) noexcept { live += change; }
};
using UniqueCountedHandle = Tools::UniqueHandle<CountedTraits>;

class UniqueHandle : public ::testing::Test {
 protected:
  void SetUp() override {
    closed.clear();
    live = 0;
  }
};

TEST_F(UniqueHandle, EveryInvalidValueOfAKindIsEmptyAndNeverClosed) {
  for (const int invalid : {0, -1}) {
    UniqueTestHandle holder{invalid};
    EXPECT_FALSE(holder) << invalid;
    EXPECT_EQ(holder.Get(), invalid);
    holder.Reset(7);  // gives up the invalid value without closing it
    EXPECT_TRUE(holder);
    holder.Reset(invalid);  // closes 7
    EXPECT_FALSE(holder) << invalid;
  }  // each holder ends empty: nothing more is closed
  EXPECT_EQ(closed, (std::vector<int>{7, 7}));
}

TEST_F(UniqueHandle, ACountedKindCountsTheHandlesItsOwnersHold) {
  {
    UniqueCountedHandle first{1};
    const UniqueCountedHandle empty{-1};
    EXPECT_EQ(live, 1);
    UniqueCountedHandle second{std::move(first)};
    EXPECT_EQ(live, 1) << "a move hands the handle over";
    second.Reset(second.Get());
    EXPECT_EQ(live, 1) << "re-seated with the handle it owns";
    second.Reset(2);
    EXPECT_EQ(live, 1) << "1 closed, 2 taken";
    first = std::move(second);
    EXPECT_EQ(live, 1);
    const int released = first.Release();
    EXPECT_EQ(live, 0) << "released: no longer owned";
    first.Reset(released);
    EXPECT_EQ(live, 1);
  }
  EXPECT_EQ(live, 0);
  EXPECT_EQ(closed, (std::vector<int>{1, 2}));
}

#ifdef _WIN32
void CloseAndFail(int) noexcept {
  ::SetLastError(ERROR_INVALID_HANDLE);
}
using UniqueFailingHandle = Tools::UniqueHandle<Tools::HandleTraits<int, &CloseAndFail>>;

TEST(UniqueHandleOnWindows, ClosingKeepsTheCallersLastError) {
  UniqueFailingHandle holder{1};
  ::SetLastError(ERROR_FILE_NOT_FOUND);
  holder.Reset(2);
  const DWORD afterReset = ::GetLastError();
  EXPECT_EQ(afterReset, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  {
    const UniqueFailingHandle ending{3};
    ::SetLastError(ERROR_ACCESS_DENIED);
  }
  const DWORD afterDestruction = ::GetLastError();
  EXPECT_EQ(afterDestruction, static_cast<DWORD>(ERROR_ACCESS_DENIED));
}
#endif

}  // namespace
