// The worker thread on its own: start and stop, stopping with attached objects, queued jobs at
// destruction, and how a job's outcome reaches its handlers.

#include "AotlTestSupport.h"

#include "aotl/detail/ActiveJob.h"
#include "aotl/detail/WorkerThread.h"

#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using aotl_test::CountingPolicy;
using aotl_test::Gate;
using Job = AOTL::detail::ActiveJob<std::exception>;

template <typename Tag>
using Worker = AOTL::detail::WorkerThread<Tag, Job, CountingPolicy<Tag>>;

Job CallOnly(std::function<void()> call) {
  Job job;
  job.call = std::move(call);
  return job;
}

// Runs `call` on the worker and waits for it.
template <typename W>
void RunOn(W& worker, std::function<void()> call) {
  std::promise<void> done;
  worker.Post(CallOnly([&] {
    call();
    done.set_value();
  }));
  done.get_future().wait();
}

TEST(ActiveJobTest, RoutesEachOutcomeToItsHandler) {
  std::vector<std::string> log;
  Job job;
  job.onError = [&](const std::exception& error) {
    log.push_back(std::string("error:") + error.what());
  };
  job.onDisposed = [&] { log.push_back("disposed"); };

  job.Execute();  // an empty call is skipped
  job.call = [&] { log.push_back("ran"); };
  job.Execute();
  job.call = [] { throw AOTL::disposed_exception(); };
  job.Execute();
  job.call = [] { throw std::runtime_error("broken pipe"); };
  job.Execute();
  job.call = [] { throw 42; };  // not a std::exception: arrives default-constructed
  job.Execute();

  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0], "ran");
  EXPECT_EQ(log[1], "disposed");
  EXPECT_EQ(log[2], "error:broken pipe");
  EXPECT_EQ(log[3], std::string("error:") + std::exception().what());

  // Empty handlers drop the outcome, and nothing a handler throws escapes.
  Job silent;
  silent.call = [] { throw std::runtime_error("dropped"); };
  silent.Execute();
  silent.onError = [](const std::exception&) { throw AOTL::disposed_exception(); };
  silent.Execute();
  silent.call = [] { throw AOTL::disposed_exception(); };
  silent.onDisposed = [] { throw std::runtime_error("also dropped"); };
  silent.Execute();
  EXPECT_STREQ(AOTL::disposed_exception().what(), "Object disposed");
}

TEST(WorkerThreadTest, RunsJobsInOrderOnItsOwnThreadAndStopsOnce) {
  struct Tag;
  using Policy = CountingPolicy<Tag>;
  const int startedBefore = Policy::Started();
  {
    Worker<Tag> worker;
    EXPECT_EQ(Policy::Running(), 1);  // the constructor returns once the thread runs
    EXPECT_FALSE(worker.IsWorkerThread());

    std::vector<int> order;
    std::thread::id workerId;
    for (int i = 0; i < 100; ++i) worker.Post(CallOnly([&order, i] { order.push_back(i); }));
    RunOn(worker, [&] {
      workerId = std::this_thread::get_id();
      EXPECT_TRUE(worker.IsWorkerThread());
    });
    EXPECT_NE(workerId, std::this_thread::get_id());
    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(order[static_cast<std::size_t>(i)], i);

    worker.Stop();  // nothing attached: the thread ends and is joined
    EXPECT_EQ(Policy::Running(), 0);
    worker.Stop();  // a second stop returns at once
  }
  EXPECT_EQ(Policy::Started() - startedBefore, 1);
}

TEST(WorkerThreadTest, StopFromTheWorkerDoesNotJoinAndTheLoopEndsAfterTheLastDetach) {
  struct Tag;
  using Policy = CountingPolicy<Tag>;
  Worker<Tag> worker;
  worker.Attach();

  RunOn(worker, [&] { worker.Stop(); });  // returns: a worker that joined itself would hang here

  // Still attached: the stopping worker goes on serving jobs.
  bool ran = false;
  RunOn(worker, [&] { ran = true; });
  EXPECT_TRUE(ran);
  EXPECT_EQ(Policy::Running(), 1);

  bool lastCalled = false;
  worker.Detach([&] { lastCalled = true; });
  EXPECT_TRUE(lastCalled);
  EXPECT_TRUE(Policy::WaitUntilRunning(0));
}

TEST(WorkerThreadTest, StopWaitsForAttachedObjectsWhoseJobsStillRun) {
  struct Tag;
  using Policy = CountingPolicy<Tag>;
  Worker<Tag> worker;
  worker.Attach();
  worker.Attach();

  std::promise<void> stopReturned;
  std::thread stopper([&] {
    worker.Stop();
    stopReturned.set_value();
  });
  std::future<void> stopped = stopReturned.get_future();

  // Jobs posted after the stop request still run while objects are attached.
  int served = 0;
  for (int i = 0; i < 3; ++i) RunOn(worker, [&] { ++served; });
  EXPECT_EQ(served, 3);

  worker.Detach({});
  RunOn(worker, [&] { ++served; });  // one object is still attached
  EXPECT_EQ(served, 4);
  EXPECT_EQ(stopped.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);

  worker.Detach({});  // the last one: the stopper's join returns
  EXPECT_EQ(stopped.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  stopper.join();
  EXPECT_EQ(Policy::Running(), 0);
}

TEST(WorkerThreadTest, DestructionDropsQueuedJobsWithoutRunningAnyHandler) {
  struct Tag;
  int calls = 0;
  int errors = 0;
  int disposed = 0;
  auto token = std::make_shared<int>(0);
  std::weak_ptr<int> tokenSeen = token;
  Gate release;
  Gate holding;
  {
    Worker<Tag> worker;
    // The first job holds the worker, then asks it to stop from inside; the jobs behind it must
    // never run.
    worker.Post(CallOnly([&] {
      holding.Open();
      release.Wait();
      worker.Stop();
    }));
    ASSERT_TRUE(holding.Wait());
    for (int i = 0; i < 5; ++i) {
      Job job;
      job.call = [&calls, token] { ++calls; };
      job.onError = [&errors](const std::exception&) { ++errors; };
      job.onDisposed = [&disposed] { ++disposed; };
      worker.Post(job);
    }
    token.reset();
    release.Open();
  }  // the destructor waits for the thread and destroys the queue
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(errors, 0);
  EXPECT_EQ(disposed, 0);
  EXPECT_TRUE(tokenSeen.expired());  // the queued jobs themselves are gone
  EXPECT_EQ(CountingPolicy<Tag>::Running(), 0);
}

}  // namespace
