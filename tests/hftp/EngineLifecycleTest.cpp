// The services manager and the engine's shared threads: creation, racing first users, teardown.
#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <thread>
#include <vector>

#include "EngineTest.h"
#include "ThreadCount.h"
#include "TransferHelpers.h"
#include "WaitingObserver.h"
#include "hftp/EngineTeardown.h"
#include "hftp/detail/ServicesManager.h"
#include "hftp/detail/ThreadPriority.h"
#include "plugin/PluginServiceFactory.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#include <sched.h>
#endif

namespace hftp::test {
namespace {

using detail::CurlPool;
using detail::ServicesManager;

using EngineLifecycle = EngineTest;

// The shared worker and the manager's tick thread.
constexpr std::size_t kEngineThreads = 2;

// The process's threads before the engine starts. One thread is started and joined first: some
// runtimes (ThreadSanitizer's) add a helper thread of their own at the first thread start.
std::size_t Baseline() {
  std::thread([] {}).join();
  return ThreadsOfThisProcess();
}

TEST_F(EngineLifecycle, TeardownLeavesNoThreadAndStartsNoneWhenNothingRan) {
  const std::size_t baseline = Baseline();
  TearDownEngine();
  EXPECT_EQ(ServicesManager::Existing(), nullptr);
  EXPECT_EQ(ThreadsOfThisProcess(), baseline);

  // A loner service has its own worker and starts no engine thread.
  auto observer = std::make_shared<WaitingObserver>();
  auto loner = CreateServiceFactory()->CreateLonerService(
      WideUrl("/bytes?size=1000"), observer, nullptr, L"", L"", 0, std::vector<std::wstring>(), "");
  loner.reset();
  EXPECT_EQ(observer->FinalStatus(), StatusCompleted);
  EXPECT_EQ(ServicesManager::Existing(), nullptr);
  TearDownEngine();
  EXPECT_EQ(WaitForThreadCount(baseline), baseline);
}

TEST_F(EngineLifecycle, EachDownloadGetsAFreshManagerAndWorker) {
  // The first round only counts what the platform keeps after its first network use (wine keeps
  // a thread of its own); the engine's threads must come and go with every later download.
  std::size_t baseline = 0;
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    auto observer = std::make_shared<WaitingObserver>();
    auto service = CreateServiceFactory()->CreatePooledService(WideUrl("/bytes?size=200000"),
                                                               observer, nullptr, L"", L"", 0, "");
    EXPECT_NE(ServicesManager::Existing(), nullptr);
    if (round > 0) {
      EXPECT_EQ(ThreadsOfThisProcess(), baseline + kEngineThreads);
    }
    ASSERT_TRUE(observer->WaitForFinal());
    service.reset();
    TearDownEngine();
    EXPECT_EQ(ServicesManager::Existing(), nullptr);
    if (round == 0) baseline = Baseline();
    EXPECT_EQ(WaitForThreadCount(baseline), baseline);
    EXPECT_EQ(observer->FinalStatus(), StatusCompleted);
    EXPECT_EQ(observer->Body(), PatternBytes(0, 200000));
  }
}

TEST_F(EngineLifecycle, ReleasingLibcurlsGlobalStateAfterTeardownLeavesTheNextDownloadWorking) {
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    auto observer = std::make_shared<WaitingObserver>();
    auto service = CreateServiceFactory()->CreatePooledService(WideUrl("/bytes?size=20000"),
                                                               observer, nullptr, L"", L"", 0, "");
    ASSERT_TRUE(observer->WaitForFinal());
    service.reset();
    TearDownEngine();
    ReleaseGlobalState();
    ReleaseGlobalState();  // a second release finds nothing to release
    EXPECT_EQ(observer->FinalStatus(), StatusCompleted);
    EXPECT_EQ(observer->Body(), PatternBytes(0, 20000));
  }
}

TEST_F(EngineLifecycle, FirstUsersRacingForTheManagerAllGetTheSameOne) {
  const std::size_t baseline = Baseline();
  std::promise<void> go;
  std::shared_future<void> start = go.get_future().share();
  std::vector<std::future<ServicesManager*>> users;
  for (int i = 0; i < 4; ++i) {
    users.push_back(std::async(std::launch::async, [start] {
      start.wait();
      return &ServicesManager::Instance();
    }));
  }
  go.set_value();
  ServicesManager* const first = users[0].get();
  for (std::size_t i = 1; i < users.size(); ++i) EXPECT_EQ(users[i].get(), first);
  EXPECT_EQ(ServicesManager::Existing(), first);
  EXPECT_EQ(WaitForThreadCount(baseline + kEngineThreads), baseline + kEngineThreads);
}

// A manager that lost that race on the shared worker itself is destroyed there; its thread must not
// be left waiting for the worker that waits for it.
TEST_F(EngineLifecycle, AManagerDestroyedOnTheSharedWorkerDoesNotWaitForItself) {
  struct Host {};
  AOTL::detail::ActiveObject<Host, detail::SharedPolicy> onWorker;
  bool done = false;
  onWorker.Invoke([&done](Host&) {
    ServicesManager local;
    done = true;
  });
  EXPECT_TRUE(done);
}

TEST_F(EngineLifecycle, TicksQueuedAroundThePoolsDestructionEndQuietly) {
  // Ticks queued while the shared worker is busy still find the pool; one that runs after the pool
  // was destroyed finds nothing and does nothing.
  ServicesManager::Instance();
  std::promise<void> release;
  struct Host {};
  AOTL::detail::ActiveObject<Host, detail::SharedPolicy> onWorker;
  onWorker.Post([blocker = release.get_future().share()](Host&) { blocker.wait(); });
  std::this_thread::sleep_for(ServicesManager::kTickPeriod * 5);
  auto teardown = std::async(std::launch::async, [] { ServicesManager::DestroyInstance(); });
  std::this_thread::sleep_for(ServicesManager::kTickPeriod * 5);
  release.set_value();
  EXPECT_EQ(teardown.wait_for(std::chrono::seconds(10)), std::future_status::ready);

  ServicesManager::PoolObject pool;
  pool.Destroy();
  pool.Post(&CurlPool::Tick);
  bool reached = false;
  pool.Invoke([&reached](CurlPool&) { reached = true; });
  EXPECT_FALSE(reached);
}

TEST(ThreadPriority, LowersTheCallingThreadToIdle) {
  bool idle = false;
  std::thread([&idle] {
    detail::LowerCurrentThreadToIdlePriority();
#if defined(_WIN32)
    idle = GetThreadPriority(GetCurrentThread()) == THREAD_PRIORITY_IDLE;
#else
    int policy = 0;
    sched_param param{};
    idle = pthread_getschedparam(pthread_self(), &policy, &param) == 0 && policy == SCHED_IDLE;
#endif
  }).join();
  EXPECT_TRUE(idle);
}

}  // namespace
}  // namespace hftp::test
