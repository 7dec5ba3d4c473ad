// The transfer pool on the test's own thread, with real transfers against the test server and the
// multi calls watched (and, where needed, staged) through a MultiApi.
#include "hftp/detail/CurlPool.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "RecordingObserver.h"
#include "TransferHelpers.h"
#include "hftp/detail/Service.h"
#include "support/TestServer.h"
#include "support/ThreadCheckRecorder.h"

namespace hftp::test {
namespace {

using detail::CurlPool;
using detail::IPooled;
using detail::Service;
using msk::test::TestServer;

struct Call {
  std::string what;  // "add", "remove", "perform" (entered), "performed" (returned) or "poll"
  CURL* handle;
};

class WatchedMulti : public detail::MultiApi {
 public:
  CURLMcode AddHandle(CURLM* multi, CURL* easy) override {
    calls.push_back({"add", easy});
    return refuseAdds ? CURLM_OUT_OF_MEMORY : real_.AddHandle(multi, easy);
  }
  CURLMcode RemoveHandle(CURLM* multi, CURL* easy) override {
    calls.push_back({"remove", easy});
    return real_.RemoveHandle(multi, easy);
  }
  CURLMcode Perform(CURLM* multi, int* running) override {
    calls.push_back({"perform", nullptr});
    const CURLMcode result = real_.Perform(multi, running);
    calls.push_back({"performed", nullptr});
    lastRunning = *running;
    return askAgain ? CURLM_CALL_MULTI_PERFORM : result;
  }
  CURLMsg* InfoRead(CURLM* multi, int* queued) override { return real_.InfoRead(multi, queued); }
  CURLMcode Poll(CURLM* multi, int timeoutMs, int* active) override {
    calls.push_back({"poll", nullptr});
    if (!untilTimer) return real_.Poll(multi, timeoutMs, active);
    *active = 0;  // staged: no socket stirred, libcurl's timer decides
    return CURLM_OK;
  }
  CURLMcode Timeout(CURLM* multi, long* timeoutMs) override {
    if (!untilTimer) return real_.Timeout(multi, timeoutMs);
    *timeoutMs = *untilTimer;
    return CURLM_OK;
  }

  int Count(const std::string& what, CURL* handle) const {
    int n = 0;
    for (const Call& call : calls) n += call.what == what && call.handle == handle;
    return n;
  }
  // Position of the first call of that kind on that handle, or -1.
  int IndexOf(const std::string& what, CURL* handle) const {
    for (std::size_t i = 0; i < calls.size(); ++i) {
      if (calls[i].what == what && calls[i].handle == handle) return static_cast<int>(i);
    }
    return -1;
  }

  std::vector<Call> calls;
  bool refuseAdds = false;
  bool askAgain = false;
  int lastRunning = -1;
  // Staged: polls see no socket activity, and libcurl's next timer runs out after this long.
  std::optional<long> untilTimer;

 private:
  detail::MultiApi& real_ = detail::LibcurlMultiApi();
};

// A pooled item as the pool sees it: records what it is told and when, then completes its service.
class Item : public IPooled {
 public:
  Item(CurlPool& pool, WatchedMulti& multi, Service* service)
      : pool_(pool), multi_(multi), service_(service) {}

  void TransferDone(CURLcode code) override {
    result = code;
    stillInPool = pool_.Contains(Handle());
    callsBefore = multi_.calls.size();
    if (service_ != nullptr) service_->OnComplete(code);
  }
  CURL* Handle() const { return service_ != nullptr ? service_->GetHandle() : nullptr; }

  std::optional<CURLcode> result;
  bool stillInPool = true;
  std::size_t callsBefore = 0;

 private:
  CurlPool& pool_;
  WatchedMulti& multi_;
  Service* service_;
};

// An observer whose first body chunk runs `onFirstData`, inside curl_multi_perform.
class FirstDataHook : public RecordingObserver {
 public:
  bool OnDataChunk(const IDataAccessor& data, const IDownloadStatus& status) override {
    if (status.GetStatus() == StatusData && onFirstData) std::exchange(onFirstData, nullptr)();
    return RecordingObserver::OnDataChunk(data, status);
  }
  std::function<void()> onFirstData;
};

std::unique_ptr<Service> Get(const std::string& url, std::shared_ptr<IObserver> observer) {
  return std::make_unique<Service>(url, std::move(observer), ProxyInfo(), "", "", 0,
                                   std::vector<std::string>(), "");
}

bool TickUntil(CurlPool& pool, const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    pool.Tick();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

TEST(CurlPool, EntersAHandleOnceAndRemovesOnlyHandlesItHas) {
  WatchedMulti multi;
  CurlPool pool(multi);
  auto service = Get(TestServer::Url("/bytes?size=10"), nullptr);
  Item item(pool, multi, service.get());
  Item other(pool, multi, nullptr);

  pool.Add(&item, item.Handle());
  pool.Add(&other, item.Handle());
  EXPECT_EQ(pool.Size(), 1u);
  EXPECT_EQ(multi.Count("add", item.Handle()), 1);

  auto stranger = Get(TestServer::Url("/bytes?size=10"), nullptr);
  pool.Remove(&item, stranger->GetHandle());
  EXPECT_TRUE(multi.calls.size() == 1) << "an unknown handle must reach no libcurl call";

  pool.Remove(&other, item.Handle());  // found by its handle alone
  pool.Remove(&item, item.Handle());
  EXPECT_EQ(pool.Size(), 0u);
  EXPECT_EQ(multi.Count("remove", item.Handle()), 1);
}

TEST(CurlPool, AFinishedTransferLeavesThePoolBeforeItsItemHears) {
  WatchedMulti multi;
  CurlPool pool(multi);
  auto observer = std::make_shared<RecordingObserver>();
  auto service = Get(TestServer::Url("/bytes?size=100000"), observer);
  Item item(pool, multi, service.get());
  pool.Add(&item, item.Handle());

  ASSERT_TRUE(TickUntil(pool, [&] { return item.result.has_value(); }));
  EXPECT_EQ(*item.result, CURLE_OK);
  EXPECT_FALSE(item.stillInPool);
  EXPECT_EQ(multi.IndexOf("remove", item.Handle()), static_cast<int>(item.callsBefore) - 1);
  EXPECT_EQ(observer->FinalStatus(), StatusCompleted);
  EXPECT_EQ(observer->Body(), PatternBytes(0, 100000));

  pool.Remove(&item, item.Handle());  // as the service's destructor does later: nothing left to do
  EXPECT_EQ(multi.Count("remove", item.Handle()), 1);
}

TEST(CurlPool, ReportsNothingInATickThatIsToBeRepeated) {
  WatchedMulti multi;
  CurlPool pool(multi);
  auto service = Get(TestServer::Url("/bytes?size=1000"), std::make_shared<RecordingObserver>());
  Item item(pool, multi, service.get());
  pool.Add(&item, item.Handle());

  multi.askAgain = true;
  ASSERT_TRUE(TickUntil(pool, [&] { return multi.lastRunning == 0; }));  // finished in libcurl
  pool.Tick();
  EXPECT_FALSE(item.result.has_value());
  multi.askAgain = false;
  pool.Tick();
  EXPECT_EQ(item.result, CURLE_OK);
}

TEST(CurlPool, ChangesMadeInsidePerformReachTheMultiHandleAfterIt) {
  WatchedMulti multi;
  CurlPool pool(multi);
  auto leaving = std::make_shared<FirstDataHook>();
  auto leavingService = Get(TestServer::Url("/bytes?size=1000000"), leaving);
  auto joining = std::make_shared<RecordingObserver>();
  auto joiningService = Get(TestServer::Url("/bytes?size=3000"), joining);
  Item leavingItem(pool, multi, leavingService.get());
  Item joiningItem(pool, multi, joiningService.get());
  auto added = Get(TestServer::Url("/bytes?size=10"), nullptr);  // added and withdrawn in one go
  Item addedItem(pool, multi, added.get());

  std::size_t performedAt = 0;
  leaving->onFirstData = [&] {
    performedAt = multi.calls.size();  // the next "performed" is this perform's end
    pool.Remove(&leavingItem, leavingItem.Handle());
    pool.Add(&joiningItem, joiningItem.Handle());
    pool.Add(&addedItem, addedItem.Handle());
    pool.Remove(&addedItem, addedItem.Handle());
    EXPECT_FALSE(pool.Contains(leavingItem.Handle()));
    EXPECT_TRUE(pool.Contains(joiningItem.Handle()));
  };
  pool.Add(&leavingItem, leavingItem.Handle());
  ASSERT_TRUE(TickUntil(pool, [&] { return joiningItem.result.has_value(); }));

  ASSERT_GT(performedAt, 0u);
  ASSERT_EQ(multi.calls[performedAt].what, "performed");
  EXPECT_EQ(multi.IndexOf("remove", leavingItem.Handle()), static_cast<int>(performedAt) + 1);
  EXPECT_EQ(multi.IndexOf("add", joiningItem.Handle()), static_cast<int>(performedAt) + 2);
  EXPECT_EQ(multi.Count("add", addedItem.Handle()), 0);
  EXPECT_EQ(multi.Count("remove", addedItem.Handle()), 0);
  EXPECT_FALSE(leavingItem.result.has_value());
  EXPECT_EQ(joining->Body(), PatternBytes(0, 3000));
}

TEST(CurlPool, AwaitsActivityOnlyWhileATransferHasSome) {
  using std::chrono::milliseconds;
  WatchedMulti multi;
  CurlPool pool(multi);
  EXPECT_FALSE(pool.AwaitActivity(milliseconds(5000)));
  EXPECT_EQ(multi.Count("poll", nullptr), 0) << "an idle pool must not wait at all";

  // 5000 bytes, then the server holds the rest back for a minute.
  auto observer = std::make_shared<RecordingObserver>();
  auto service = Get(TestServer::Url("/bytes?size=100000&stall_after=5000&stall=60"), observer);
  Item item(pool, multi, service.get());
  pool.Add(&item, item.Handle());
  // Ticks that wait for the sockets between them get there. A wait may also end early on one of
  // libcurl's own timers (connecting, under a slow emulator), so the loop is bounded by ticks, not
  // ended by the first wait that saw nothing.
  for (int ticks = 0; observer->Body().size() < 5000 && ticks < 200; ++ticks) {
    pool.Tick();
    if (observer->Body().size() < 5000) pool.AwaitActivity(milliseconds(1000));
  }
  EXPECT_EQ(observer->Body(), PatternBytes(0, 5000));
  EXPECT_FALSE(pool.AwaitActivity(milliseconds(50)));  // the server is silent: nothing to do

  pool.Remove(&item, item.Handle());
  const int polls = multi.Count("poll", nullptr);
  EXPECT_FALSE(pool.AwaitActivity(milliseconds(5000)));
  EXPECT_EQ(multi.Count("poll", nullptr), polls);
}

TEST(CurlPool, AnExpiredLibcurlTimerAfterAQuietPollIsActivity) {
  // Data libcurl has already read (decrypted TLS records in its buffer) leaves no socket ready; it
  // waits on one of libcurl's timers instead.
  using std::chrono::milliseconds;
  WatchedMulti multi;
  CurlPool pool(multi);
  auto service = Get(TestServer::Url("/bytes?size=10"), nullptr);
  Item item(pool, multi, service.get());
  pool.Add(&item, item.Handle());

  multi.untilTimer = 0;
  EXPECT_TRUE(pool.AwaitActivity(milliseconds(1000)));
  multi.untilTimer = 1000;
  EXPECT_FALSE(pool.AwaitActivity(milliseconds(1000)));
  multi.untilTimer = -1;  // no timer at all
  EXPECT_FALSE(pool.AwaitActivity(milliseconds(1000)));
  pool.Remove(&item, item.Handle());
}

TEST(CurlPool, AHandleTheMultiHandleRefusesIsReportedAtOnce) {
  WatchedMulti multi;
  multi.refuseAdds = true;
  CurlPool pool(multi);
  auto observer = std::make_shared<RecordingObserver>();
  auto service = Get(TestServer::Url("/bytes?size=10"), observer);
  Item item(pool, multi, service.get());

  pool.Add(&item, item.Handle());
  EXPECT_EQ(item.result, CURLE_FAILED_INIT);
  EXPECT_EQ(pool.Size(), 0u);
  EXPECT_EQ(observer->FinalStatus(), StatusError);
}

TEST(CurlPool, DestroyedWithTransfersInsideItLetsGoOfThemFirst) {
  // A caller's mistake: the pool goes while a transfer is running. The handle must leave the multi
  // and share handles first; otherwise libcurl's cleanup calls the freed share lock (under ASan a
  // report, elsewhere a crash or a hang).
  WatchedMulti multi;
  auto service = Get(TestServer::Url("/bytes?size=1000000&rate=100000"), nullptr);
  CURL* const handle = service->GetHandle();
  auto pool = std::make_unique<CurlPool>(multi);  // on the heap, where ASan sees freed memory
  Item item(*pool, multi, service.get());
  pool->Add(&item, handle);
  ASSERT_TRUE(TickUntil(*pool, [&] { return multi.lastRunning == 1; }));

  pool.reset();
  EXPECT_EQ(multi.Count("remove", handle), 1);
  service.reset();
}

TEST(CurlPool, ACallFromAnotherThreadTripsItsThreadCheck) {
  if (!MSK_THREAD_CHECKS) GTEST_SKIP() << "built without thread checks";
  msk::test::ThreadCheckRecorder recorder;
  CurlPool pool;                                 // bound to this thread as it is made
  std::thread([&pool] { pool.Tick(); }).join();  // an empty pool: the tick itself is harmless
  const auto failures = recorder.Failures();
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(std::string(failures[0].file).find("CurlPool.cpp"), std::string::npos);
}

}  // namespace
}  // namespace hftp::test
