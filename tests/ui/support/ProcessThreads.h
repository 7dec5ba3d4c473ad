#pragma once
// How many threads this process has, for checks that a piece of work leaves none behind.
//
//   const std::size_t before = msk::test::ProcessThreadCount();
//   RunSomething();
//   EXPECT_EQ(msk::test::WaitForProcessThreadCount(before), before);
//
// Thread-safety: any thread.

#include <chrono>
#include <cstddef>

namespace msk::test {

std::size_t ProcessThreadCount() noexcept;
// Polls until the count is `expected` or `timeout` has passed; answers the last count.
std::size_t WaitForProcessThreadCount(std::size_t expected,
                                      std::chrono::milliseconds timeout = std::chrono::seconds(5));

}  // namespace msk::test
