// Pooled services on the shared worker: release from other threads and from inside their own
// notifications, many at once, and the manager's lock never awaited on the pool thread.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "EngineTest.h"
#include "TransferHelpers.h"
#include "WaitingObserver.h"
#include "plugin/PluginServiceFactory.h"

namespace hftp::test {
namespace {

using namespace std::chrono_literals;
using PooledService = EngineTest;

std::shared_ptr<IService> StartPooled(const std::string& pathAndQuery,
                                      std::shared_ptr<IObserver> observer) {
  return CreateServiceFactory()->CreatePooledService(WideUrl(pathAndQuery), std::move(observer),
                                                     nullptr, L"", L"", 0, "");
}

TEST_F(PooledService, ReleasedMidTransferReturnsWithoutWaitingAndTheObserverHearsAborted) {
  auto observer = std::make_shared<WaitingObserver>();
  // Once 5000 bytes are out, the server holds the rest back for a minute.
  auto service = StartPooled("/bytes?size=100000&stall_after=5000&stall=60", observer);
  ASSERT_TRUE(observer->WaitForBytes(5000));
  service->Wait();  // returns at once: the transfer is still stalled
  EXPECT_EQ(observer->Snapshot().back().status, StatusData);

  service.reset();
  EXPECT_EQ(observer->FinalStatus(), StatusAborted);
  EXPECT_EQ(observer->Body(), PatternBytes(0, 5000));
  for (const std::thread::id thread : observer->Threads()) {
    EXPECT_NE(thread, std::this_thread::get_id());  // all on the pool thread, the abort included
  }
}

TEST_F(PooledService, FiftyAtOnceAllCompleteWithTheirOwnBytes) {
  constexpr std::size_t kCount = 50;
  std::vector<std::shared_ptr<WaitingObserver>> observers;
  std::vector<std::shared_ptr<IService>> services;
  for (std::size_t i = 0; i < kCount; ++i) {
    observers.push_back(std::make_shared<WaitingObserver>());
    // Half by name, so that the shared DNS cache and its lock are used too.
    const std::string host = i % 2 == 0 ? "" : "localhost";
    const std::string size = std::to_string(1000 + i * 7919);
    std::string url = msk::test::TestServer::Url("/bytes?size=" + size);
    if (!host.empty()) url.replace(url.find("127.0.0.1"), 9, host);
    services.push_back(CreateServiceFactory()->CreatePooledService(
        std::wstring(url.begin(), url.end()), observers.back(), nullptr, L"", L"", 0, ""));
  }
  for (auto& observer : observers) ASSERT_TRUE(observer->WaitForFinal());
  services.clear();
  for (std::size_t i = 0; i < kCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(observers[i]->FinalStatus(), StatusCompleted);
    EXPECT_EQ(observers[i]->Body(), PatternBytes(0, 1000 + i * 7919));
  }
}

// Takes longer over every block than a tick period, as an observer writing to a slow disk does:
// the pool goes on ticking meanwhile, and nothing may be lost, repeated or reordered.
TEST_F(PooledService, ASlowObserverStillWritesEveryByteInOrder) {
  class SlowFileWriter final : public WaitingObserver {
   public:
    explicit SlowFileWriter(const std::filesystem::path& path) : file_(path, std::ios::binary) {}
    bool OnDataChunk(const IDataAccessor& data, const IDownloadStatus& status) override {
      if (status.GetStatus() == StatusData) {
        std::this_thread::sleep_for(15ms);
        file_.write(data.GetData(), static_cast<std::streamsize>(data.GetSize()));
      } else {
        file_.close();
      }
      return WaitingObserver::OnDataChunk(data, status);
    }

   private:
    std::ofstream file_;
  };
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      ("msk-slow-observer-" + std::to_string(std::random_device()()));
  auto observer = std::make_shared<SlowFileWriter>(path);
  auto service = StartPooled("/bytes?size=1000000", observer);
  ASSERT_TRUE(observer->WaitForFinal(120s));
  service.reset();
  EXPECT_EQ(observer->FinalStatus(), StatusCompleted);
  std::string written(static_cast<std::size_t>(std::filesystem::file_size(path)), '\0');
  std::ifstream(path, std::ios::binary)
      .read(written.data(), static_cast<std::streamsize>(written.size()));
  std::filesystem::remove(path);
  EXPECT_EQ(written, PatternBytes(0, 1000000));
}

// Owns its service, as a server connection's observer does, and releases it from inside the
// notification that `releaseOn` picks; records everything into `log`, which outlives it.
class SelfReleasingObserver : public IObserver {
 public:
  SelfReleasingObserver(std::shared_ptr<WaitingObserver> log, int releaseOn)
      : log_(std::move(log)), releaseOn_(releaseOn) {}

  void Own(std::shared_ptr<IService> service) {
    std::lock_guard<std::mutex> lock(mutex_);
    service_ = std::move(service);
    owned_.notify_all();
  }

  bool OnDataChunk(const IDataAccessor& data, const IDownloadStatus& status) override {
    log_->OnDataChunk(data, status);
    if (status.GetStatus() == releaseOn_ && !released_) {
      released_ = true;  // pool thread only
      std::unique_lock<std::mutex> lock(mutex_);
      owned_.wait_for(lock, 10s, [this] { return service_ != nullptr; });
      std::shared_ptr<IService> service = std::move(service_);
      lock.unlock();
      if (beforeRelease) beforeRelease();
      service.reset();  // the last reference
    }
    return true;
  }

  std::function<void()> beforeRelease;

 private:
  std::shared_ptr<WaitingObserver> log_;
  const int releaseOn_;
  bool released_ = false;
  std::mutex mutex_;
  std::condition_variable owned_;
  std::shared_ptr<IService> service_;
};

TEST_F(PooledService, MayBeReleasedFromInsideItsOwnNotifications) {
  const std::string closed =
      "http://127.0.0.1:" + std::to_string(msk::test::TestServer::ClosedPort()) + "/";
  struct Case {
    std::string url;
    int releaseOn;
    std::vector<int> finals;  // what the observer hears in the end
  };
  const Case cases[] = {
      // From the header handler, inside curl_multi_perform: the final status stays the only one.
      {msk::test::TestServer::Url("/status/404"), StatusNotFound, {StatusNotFound}},
      {msk::test::TestServer::Url("/status/503"), StatusError, {StatusError}},
      // From the write handler, inside curl_multi_perform: the transfer is cut off.
      {msk::test::TestServer::Url("/bytes?size=3000000"), StatusData, {StatusAborted}},
      // From OnComplete, a job of its own.
      {msk::test::TestServer::Url("/bytes?size=5000"), StatusCompleted, {StatusCompleted}},
      {closed, StatusConnectionError, {StatusConnectionError}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    auto log = std::make_shared<WaitingObserver>();
    auto observer = std::make_shared<SelfReleasingObserver>(log, c.releaseOn);
    const std::weak_ptr<SelfReleasingObserver> watch = observer;
    observer->Own(CreateServiceFactory()->CreatePooledService(
        std::wstring(c.url.begin(), c.url.end()), observer, nullptr, L"", L"", 0, ""));
    observer.reset();
    ASSERT_TRUE(log->WaitForFinal());
    TearDownEngine();  // runs whatever the release left queued
    EXPECT_TRUE(watch.expired()) << "the service and its observer must be gone";
    std::vector<int> finals;
    for (const Notification& n : log->Finals()) finals.push_back(n.status);
    EXPECT_EQ(finals, c.finals);
  }
}

// Holds the pool thread inside an observer's notification until Open().
class NotificationGate {
 public:
  // The observer's hook; take it once.
  std::function<void()> Hook() {
    return [this, open = open_.get_future().share()] {
      entered_.set_value();
      open.wait_for(10s);
    };
  }
  bool WaitUntilEntered() {
    return entered_.get_future().wait_for(30s) == std::future_status::ready;
  }
  void Open() { open_.set_value(); }

 private:
  std::promise<void> entered_;
  std::promise<void> open_;
};

// A thread that holds the manager's lock while it waits for the shared worker, and the worker
// releasing a service at that moment: the worker must not wait for the lock.
TEST_F(PooledService, ReleaseOnThePoolThreadNeverWaitsForTheManagersLock) {
  auto waiting = std::make_shared<WaitingObserver>();
  auto stalled = StartPooled("/bytes?size=10000&stall_after=0&stall=60", waiting);

  auto log = std::make_shared<WaitingObserver>();
  auto observer = std::make_shared<SelfReleasingObserver>(log, StatusNotFound);
  NotificationGate gate;
  observer->beforeRelease = gate.Hook();
  observer->Own(StartPooled("/status/404", observer));
  observer.reset();

  ASSERT_TRUE(gate.WaitUntilEntered());
  // The pool thread is held inside the notification. This release takes the manager's lock and
  // then waits for the pool thread to take the handle out.
  auto other = std::async(std::launch::async, [&stalled] { stalled.reset(); });
  std::this_thread::sleep_for(200ms);  // let it reach the lock
  gate.Open();
  ASSERT_EQ(other.wait_for(30s), std::future_status::ready) << "deadlock";
  EXPECT_EQ(waiting->FinalStatus(), StatusAborted);
}

// The caller saw the final status and tears the engine down while the observer is still releasing
// its service on the pool thread.
TEST_F(PooledService, ReleaseOnThePoolThreadMayOverlapTheTeardown) {
  auto log = std::make_shared<WaitingObserver>();
  auto observer = std::make_shared<SelfReleasingObserver>(log, StatusNotFound);
  NotificationGate gate;
  observer->beforeRelease = gate.Hook();
  const std::weak_ptr<SelfReleasingObserver> watch = observer;
  observer->Own(StartPooled("/status/404", observer));
  observer.reset();

  ASSERT_TRUE(gate.WaitUntilEntered());
  auto teardown = std::async(std::launch::async, [] { TearDownEngine(); });
  std::this_thread::sleep_for(200ms);  // let it stop the manager, which waits for the pool thread
  gate.Open();
  ASSERT_EQ(teardown.wait_for(30s), std::future_status::ready);
  EXPECT_TRUE(watch.expired());
  EXPECT_EQ(log->FinalStatus(), StatusNotFound);
}

}  // namespace
}  // namespace hftp::test
