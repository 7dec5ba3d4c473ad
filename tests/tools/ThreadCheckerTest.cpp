// A thread checker binds to the thread of its first check and reports every check made on another
// thread; a copy starts unbound.
#include "tools/ThreadChecker.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/ThreadCheckRecorder.h"

namespace {

enum class On { TestThread, NewThread };
enum class Action { Check, ReplaceByCopy };

struct Step {
  On on;
  Action action;
};

struct Case {
  const char* behaviour;
  std::vector<Step> steps;
  std::size_t failures;
};

constexpr Step kCheckHere{On::TestThread, Action::Check};
constexpr Step kCheckElsewhere{On::NewThread, Action::Check};

const Case kCases[] = {
    {"checks on one thread pass", {kCheckHere, kCheckHere, kCheckHere}, 0},
    {"a check on another thread fails", {kCheckHere, kCheckElsewhere}, 1},
    {"it binds at its first check, not where it was made", {kCheckElsewhere}, 0},
    {"the thread that made it is another thread then", {kCheckElsewhere, kCheckHere}, 1},
    {"every new thread is another thread", {kCheckElsewhere, kCheckElsewhere}, 1},
    {"a copy is unbound",
     {kCheckHere, {On::TestThread, Action::ReplaceByCopy}, kCheckElsewhere},
     0},
};

constexpr int kCheckLine = 1234;

void Perform(std::optional<Tools::ThreadChecker>& checker, Action action) {
  switch (action) {
    case Action::Check:
      checker->Check(__FILE__, kCheckLine);
      break;
    case Action::ReplaceByCopy: {
      const Tools::ThreadChecker copy(*checker);
      checker.emplace(copy);
      break;
    }
  }
}

TEST(ThreadChecker, BindsAtFirstUseAndReportsOtherThreads) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.behaviour);
    msk::test::ThreadCheckRecorder recorder;
    std::optional<Tools::ThreadChecker> checker(std::in_place);
    for (const Step& step : c.steps) {
      if (step.on == On::TestThread) {
        Perform(checker, step.action);
      } else {
        std::thread([&] { Perform(checker, step.action); }).join();
      }
    }
    const std::vector<Tools::ThreadCheckFailure> failures = recorder.Failures();
    ASSERT_EQ(failures.size(), c.failures);
    for (const Tools::ThreadCheckFailure& failure : failures) {
      EXPECT_EQ(std::string(failure.file), __FILE__);
      EXPECT_EQ(failure.line, kCheckLine);
      EXPECT_NE(failure.boundThread, failure.callingThread);
    }
  }
}

}  // namespace
