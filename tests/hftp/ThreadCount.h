#pragma once
// How many threads this process has right now (Linux: /proc/self/task; Windows: a Toolhelp
// snapshot), and a wait for that number to settle at an expected value.

#include <cstddef>

namespace hftp::test {

std::size_t ThreadsOfThisProcess();
// Polls for up to 10 s until ThreadsOfThisProcess() == expected; returns the last count.
std::size_t WaitForThreadCount(std::size_t expected);

}  // namespace hftp::test
