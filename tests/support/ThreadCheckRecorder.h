#pragma once
// Collects failed thread checks (tools/ThreadChecker.h) for as long as it lives, instead of letting
// the first one end the process, so that a test can call across threads on purpose.
//
//   msk::test::ThreadCheckRecorder recorder;
//   std::thread([&pool] { pool.Tick(); }).join();  // the pool belongs to this thread
//   EXPECT_EQ(recorder.Failures().size(), 1u);
//
// One recorder at a time per process; failures may be recorded from any thread.

#include "tools/ForTesting.h"

#include <vector>

namespace msk::test {

class ThreadCheckRecorder {
 public:
  ThreadCheckRecorder();
  ThreadCheckRecorder(const ThreadCheckRecorder&) = delete;
  ThreadCheckRecorder& operator=(const ThreadCheckRecorder&) = delete;

  // The failures so far, oldest first.
  std::vector<Tools::ThreadCheckFailure> Failures() const;

 private:
  static void Record(const Tools::ThreadCheckFailure& failure) noexcept;

  Tools::ScopedThreadCheckHandlerForTesting handler_;
};

}  // namespace msk::test
