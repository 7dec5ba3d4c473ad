// Active objects on their own and on the shared worker: where the hosted object lives, synchronous
// and asynchronous calls, failures carried back, calls to a destroyed object, releasing an object
// from its own job, and the shared worker's creation race and teardown.

#include "AotlTestSupport.h"

#include "aotl/ActiveObject.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using aotl_test::CountingPolicy;
using aotl_test::Gate;
using aotl_test::Probe;

template <typename Tag>
using Own =
    AOTL::detail::ActiveObject<Probe, AOTL::OwnThread<Tag, std::exception, CountingPolicy<Tag>>>;
template <typename Tag>
using Shared =
    AOTL::detail::ActiveObject<Probe, AOTL::SharedThread<Tag, std::exception, CountingPolicy<Tag>>>;

std::string MessageOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const std::exception& error) {
    return error.what();
  }
  return "(nothing thrown)";
}

TEST(ActiveObjectTest, LivesOnItsWorkerAndIsBuiltFromArgumentsHeldByReference) {
  struct Tag;
  int seen = 0;
  std::thread::id builtOn;
  auto active = Own<Tag>::Create(seen, builtOn);
  EXPECT_EQ(seen, 1);  // the constructor wrote through the caller's own variable
  EXPECT_EQ(CountingPolicy<Tag>::Running(), 1);

  const std::thread::id workerId = active->Invoke(&Probe::ThreadId);
  EXPECT_NE(workerId, std::this_thread::get_id());
  EXPECT_EQ(builtOn, workerId);
  EXPECT_FALSE(active->IsWorkerThread());

  for (int i = 0; i < 50; ++i) active->Post(&Probe::Record, i);
  active->Post([](Probe& probe, int amount) { probe.Add(amount); }, 7);
  EXPECT_EQ(active->Invoke(&Probe::Total), 7);
  const std::vector<int> seenValues = active->Invoke(&Probe::Seen);
  ASSERT_EQ(seenValues.size(), 50u);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(seenValues[static_cast<std::size_t>(i)], i);

  std::thread::id destroyedOn;
  auto second = Own<Tag>::Create(&destroyedOn);
  const std::thread::id secondWorker = second->Invoke(&Probe::ThreadId);
  EXPECT_NE(secondWorker, workerId);  // one worker per own-thread object
  second.reset();                     // destroyed on its worker, which is then joined
  EXPECT_EQ(destroyedOn, secondWorker);
  EXPECT_EQ(CountingPolicy<Tag>::Running(), 1);
  active.reset();
  EXPECT_EQ(CountingPolicy<Tag>::Running(), 0);
}

TEST(ActiveObjectTest, SynchronousCallOnTheWorkerRunsInline) {
  struct Tag;
  auto active = Own<Tag>::Create();
  // The first job makes a synchronous call from the worker itself. Had it been queued, it would
  // run after the second job (or never); inline, it runs before it.
  active->Post([&](Probe& probe) {
    EXPECT_TRUE(active->IsWorkerThread());
    active->Invoke(&Probe::Record, 1);
    EXPECT_EQ(active->Invoke(&Probe::Pointer), static_cast<void*>(&probe));
    probe.Record(2);
  });
  active->Post(&Probe::Record, 3);
  EXPECT_EQ(active->Invoke(&Probe::Seen), (std::vector<int>{1, 2, 3}));
}

TEST(ActiveObjectTest, FailuresReachTheCallerAsStdExceptionWithTheirMessage) {
  struct Tag;
  auto active = Own<Tag>::Create();
  EXPECT_EQ(MessageOf([&] { active->Invoke(&Probe::Fail, std::string("disk full")); }),
            "disk full");
  EXPECT_EQ(MessageOf([&] { active->Invoke(&Probe::FailWithInt); }), std::exception().what());
  active->Post(&Probe::Fail, std::string("dropped"));  // an asynchronous failure is dropped
  active->Post(&Probe::Add, 2);
  EXPECT_EQ(active->Invoke(&Probe::Total), 2);  // and the worker goes on

  // A constructor that throws: the caller gets its message, the own worker is stopped and joined.
  EXPECT_EQ(MessageOf([] { Own<Tag>::Create(std::string("no memory")); }), "no memory");
  EXPECT_EQ(MessageOf([] { Own<Tag>::Create(std::string("non-std")); }), std::exception().what());
  EXPECT_EQ(CountingPolicy<Tag>::Running(), 1);
}

TEST(ActiveObjectTest, CallsToADestroyedObjectDoNothing) {
  struct Tag;
  std::thread::id destroyedOn;
  auto active = Own<Tag>::Create(&destroyedOn);
  const std::thread::id workerId = active->Invoke(&Probe::ThreadId);

  // One job destroys the object on the worker; the calls queued behind it find it gone.
  int ran = 0;
  active->Post([&](Probe&) { active->Destroy(); });
  active->Post([&](Probe&) { ++ran; });                 // asynchronous: nothing happens
  active->Invoke(&Probe::Nothing);                      // synchronous void: returns normally
  EXPECT_EQ(active->Invoke(&Probe::Pointer), nullptr);  // synchronous void*: null
  EXPECT_EQ(active->Invoke(&Probe::Total), 0);
  EXPECT_EQ(destroyedOn, workerId);
  EXPECT_EQ(ran, 0);
  active->Destroy();  // destroying again, from another thread, is harmless
}

TEST(ActiveObjectTest, OwnThreadObjectReleasedFromItsOwnJobEndsItsWorker) {
  struct Tag;
  using Policy = CountingPolicy<Tag>;
  std::thread::id destroyedOn;
  auto active = Own<Tag>::Create(&destroyedOn);
  const std::thread::id workerId = active->Invoke(&Probe::ThreadId);

  // No weak reference to the active object here: its memory must really go away with it, so that a
  // worker touching itself after that job shows up under AddressSanitizer.
  Gate released;
  // Hand the last owner to a job of the object's own worker and let the job drop it.
  auto holder = std::make_shared<std::shared_ptr<Own<Tag>>>(std::move(active));
  (*holder)->Post([holder, &released](Probe&) {
    holder->reset();  // destroys the active object, its worker included, on that worker
    released.Open();
  });
  holder.reset();
  ASSERT_TRUE(released.Wait());
  EXPECT_TRUE(Policy::WaitUntilRunning(0));  // the thread left its loop after that job
  EXPECT_EQ(destroyedOn, workerId);
}

TEST(ActiveObjectTest, SharedThreadObjectsShareOneWorkerThatOutlivesThem) {
  struct Tag;
  using Policy = CountingPolicy<Tag>;
  using Active = Shared<Tag>;
  const int startedBefore = Policy::Started();
  {
    auto first = Active::Create();
    auto second = Active::Create();
    EXPECT_EQ(first->Invoke(&Probe::ThreadId), second->Invoke(&Probe::ThreadId));
    EXPECT_EQ(&Active::SharedWorker(), &Active::SharedWorker());
    EXPECT_EQ(Policy::Running(), 1);

    // Synchronous calls between objects of the same worker run inline.
    first->Post([&](Probe&) { second->Invoke(&Probe::Add, 5); });
    EXPECT_EQ(second->Invoke(&Probe::Total), 5);
  }
  EXPECT_EQ(Policy::Running(), 1);  // no object left, the worker stays
  Active::DestroySharedWorker();
  EXPECT_EQ(Policy::Running(), 0);
  Active::DestroySharedWorker();  // nothing left to destroy

  auto again = Active::Create();  // the next object gets a fresh worker
  EXPECT_EQ(Policy::Running(), 1);
  EXPECT_EQ(Policy::Started() - startedBefore, 2);
  again.reset();
  Active::DestroySharedWorker();
}

TEST(ActiveObjectTest, RacingForTheFirstSharedWorkerLeavesExactlyOne) {
  struct Tag;
  using Policy = CountingPolicy<Tag>;
  using SharedPolicy = AOTL::SharedThread<Tag, std::exception, Policy>;
  for (int round = 0; round < 20; ++round) {
    std::atomic<int> ready{0};
    std::atomic<bool> go{false};
    auto race = [&] {
      ++ready;
      while (!go.load()) std::this_thread::yield();
      return &SharedPolicy::SharedWorker();
    };
    auto a = std::async(std::launch::async, race);
    auto b = std::async(std::launch::async, race);
    while (ready.load() < 2) std::this_thread::yield();
    go = true;
    EXPECT_EQ(a.get(), b.get());
    EXPECT_EQ(Policy::Running(), 1) << "round " << round;  // a loser's worker is already joined
    SharedPolicy::DestroySharedWorker();
    EXPECT_EQ(Policy::Running(), 0);
  }
}

TEST(ActiveObjectTest, DefaultPoliciesCompileAndRun) {
  struct Service;
  using Pooled = AOTL::detail::ActiveObject<
      Probe, AOTL::SharedThread<Service, std::exception, AOTL::DefaultWorkerThreadPolicy>>;
  using Loner = AOTL::detail::ActiveObject<
      Probe, AOTL::OwnThread<Service, std::exception, AOTL::DefaultWorkerThreadPolicy>>;
  {
    Loner loner;  // held by value
    loner.Post(&Probe::Add, 1);
    EXPECT_EQ(loner.Invoke(&Probe::Total), 1);
    auto pooled = Pooled::Create();
    EXPECT_NE(pooled->Invoke(&Probe::ThreadId), std::this_thread::get_id());
    EXPECT_NE(pooled->Invoke(&Probe::ThreadId), loner.Invoke(&Probe::ThreadId));
  }
  Pooled::DestroySharedWorker();
}

}  // namespace
