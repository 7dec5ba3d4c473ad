// The download job with the real engine against the loopback test server: attempts, retries that
// resume or start over, the checksum, a cancel during a transfer and between attempts, a lost
// network (scripted through the job's environment), and that a failure leaves nothing behind.
#include "download/DeferredRelease.h"
#include "download/Job.h"
#include "hftp/IObserver.h"
#include "hftp/ServiceFactory.h"
#include "support/GeneratedBody.h"
#include "support/NoProxyFactory.h"
#include "support/ScratchFolder.h"
#include "support/TestServer.h"
#include "support/WorkerHold.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using download::DownloadOutcome;
using download::DownloadRequest;
using download::DownloadResult;
using msk::test::FileBytes;
using msk::test::FileExists;
using msk::test::FileSize;
using msk::test::ScratchFolder;
using std::chrono::milliseconds;

using msk::test::NoProxyFactory;

// A factory whose creator fails, as one that cannot build the transfer does.
class ThrowingFactory final : public NoProxyFactory {
 public:
  using NoProxyFactory::CreatePooledService;
  std::shared_ptr<hftp::IService> CreatePooledService(const std::wstring&,
                                                      std::shared_ptr<hftp::IObserver>,
                                                      const hftp::RequestOptions&) override {
    throw std::runtime_error("no transfer");
  }
};

std::wstring ServerUrl(const std::string& pathAndQuery) {
  const std::string url = msk::test::TestServer::Url(pathAndQuery);
  return std::wstring(url.begin(), url.end());
}

class RecordingView final : public download::ProgressView {
 public:
  void ShowPercent(int percent) noexcept override {
    const std::lock_guard<std::mutex> lock(mutex_);
    shown_.push_back(percent);
  }
  void ShowRoute(const std::wstring& route) noexcept override {
    const std::lock_guard<std::mutex> lock(mutex_);
    routes_.push_back(route);
  }
  std::vector<int> Shown() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return shown_;
  }
  std::vector<std::wstring> Routes() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return routes_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<int> shown_;
  std::vector<std::wstring> routes_;
};

milliseconds Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
}

class Job : public ::testing::Test {
 protected:
  Job() {
    environment_.isOnline = [this] { return ++checks_, online_.load(); };
    environment_.pause = [](int) { return milliseconds(0); };
  }

  DownloadOutcome Attempt(const std::wstring& url, const std::wstring& path) {
    return download::RunAttempt(url, path, hftp::RequestOptions(), factory_, &view_, environment_);
  }
  DownloadOutcome Run(const DownloadRequest& request) {
    return download::RunJob(request, factory_, &view_, cancel_, environment_);
  }
  DownloadRequest Request(const std::string& route, int retries = 0) {
    DownloadRequest request;
    request.url = ServerUrl(route);
    request.path = folder_.Path(L"payload.bin");
    request.retries = retries;
    return request;
  }
  // Waits until bytes have arrived at `path`.
  static bool BytesArrive(const std::wstring& path) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (FileSize(path).value_or(0) == 0 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(milliseconds(10));
    }
    return FileSize(path).value_or(0) > 0;
  }

  const download::EngineSession engine_;  // ends after every job of the test
  NoProxyFactory factory_;
  std::atomic<bool> online_{true};
  std::atomic<int> checks_{0};
  download::JobEnvironment environment_;
  download::CancelSignal cancel_;
  RecordingView view_;
  ScratchFolder folder_;
};

TEST_F(Job, FetchesTheFileAndReportsProgressToTheEnd) {
  const std::wstring path = folder_.Path(L"payload.bin");
  ASSERT_EQ(Attempt(ServerUrl("/bytes?size=3000000"), path).result, DownloadResult::Completed);
  const auto bytes = FileBytes(path);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(bytes->size(), 3000000u);
  EXPECT_EQ(msk::test::FirstMismatch(*bytes, 0), bytes->size());
  const std::vector<int> shown = view_.Shown();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.back(), 100);
}

TEST_F(Job, ALostNetworkEndsTheWaitAtTheNextCheckAndRemovesThePartialFile) {
  // The job's attempts, and the one attempt of HTTPDownload, which keeps no partial file either.
  for (const bool oneAttempt : {false, true}) {
    SCOPED_TRACE(oneAttempt ? "one attempt" : "job");
    online_ = true;
    const DownloadRequest request = Request("/bytes?size=2000000&rate=50000");  // 40 s of body
    auto job = std::async(std::launch::async, [&] {
      return oneAttempt ? Attempt(request.url, request.path) : Run(request);
    });
    ASSERT_TRUE(BytesArrive(request.path)) << "no byte arrived";
    online_ = false;
    const auto lost = std::chrono::steady_clock::now();
    ASSERT_EQ(job.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(job.get().result, DownloadResult::NoNetwork);
    EXPECT_LT(Since(lost), milliseconds(3000));
    EXPECT_EQ(folder_.Entries(), std::vector<std::wstring>{});
  }
}

TEST_F(Job, WithoutANetworkAConnectionThatFailsAnswersNoNetworkAtOnce) {
  online_ = false;
  const std::string refused =
      "http://127.0.0.1:" + std::to_string(msk::test::TestServer::ClosedPort()) + "/bytes?size=10";
  DownloadRequest request = Request("", 0);
  request.url = std::wstring(refused.begin(), refused.end());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Run(request).result, DownloadResult::NoNetwork);
  EXPECT_LT(Since(start), milliseconds(1500));
  EXPECT_EQ(checks_.load(), 1);
  EXPECT_EQ(folder_.Entries(), std::vector<std::wstring>{});
}

TEST_F(Job, ATargetThatCannotBeCreatedFailsPromptly) {
  ASSERT_TRUE(std::filesystem::create_directory(std::filesystem::path(folder_.Path(L"a-folder"))));
  for (const std::wstring name : {L"missing/payload.bin", L"a-folder"}) {
    const auto start = std::chrono::steady_clock::now();
    DownloadRequest request = Request("/bytes?size=100000", 3);
    request.path = folder_.Path(name);
    EXPECT_EQ(Run(request).result, DownloadResult::CannotWrite);
    // Not retried, and well before the first connectivity check would have ended the wait.
    EXPECT_LT(Since(start), milliseconds(1500));
  }
  EXPECT_EQ(folder_.Entries(), std::vector<std::wstring>{L"a-folder"});
}

TEST_F(Job, EveryFailureLeavesNothingAtThePath) {
  struct Case {
    std::string route;
    DownloadResult result;
    int httpStatus;
  };
  const std::string refused =
      "http://127.0.0.1:" + std::to_string(msk::test::TestServer::ClosedPort()) + "/bytes?size=10";
  const Case cases[] = {
      {"/status/404", DownloadResult::HttpError, 404},
      {"/status/503", DownloadResult::HttpError, 503},
      // Answers that carry no resource: saved, they would be run as the program.
      {"/status/204", DownloadResult::HttpError, 204},
      {"/status/302", DownloadResult::HttpError, 302},
      {"/bytes?size=1000000&drop_after=300000", DownloadResult::ConnectionLost, 0},
      // The engine withholds the body of a "Connection: CLOSE" answer: that is no download.
      {"/bytes?size=50000&header=Connection:%20CLOSE", DownloadResult::ConnectionLost, 0},
      {"/bytes?size=50000&chunked=1&header=Connection:%20CLOSE", DownloadResult::ConnectionLost, 0},
      {"/bytes?size=1000000&drop_after=300000&drop=reset", DownloadResult::ConnectionLost, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.route);
    const DownloadOutcome outcome = Run(Request(c.route, 1));  // the retry fails alike
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.httpStatus, c.httpStatus);
    EXPECT_EQ(folder_.Entries(), std::vector<std::wstring>{});
  }
  DownloadRequest toNowhere = Request("", 0);
  toNowhere.url = std::wstring(refused.begin(), refused.end());
  EXPECT_EQ(Run(toNowhere).result, DownloadResult::CannotConnect);
  EXPECT_EQ(folder_.Entries(), std::vector<std::wstring>{});
}

TEST_F(Job, EmptyArgumentsAndAFailingFactoryStartNothing) {
  EXPECT_EQ(Attempt(L"", folder_.Path(L"payload.bin")).result, DownloadResult::Failed);
  EXPECT_EQ(Attempt(ServerUrl("/bytes?size=10"), L"").result, DownloadResult::Failed);
  ThrowingFactory throwing;
  const DownloadOutcome outcome =
      download::RunJob(Request("/bytes?size=10", 2), throwing, nullptr, cancel_, environment_);
  EXPECT_EQ(outcome.result, DownloadResult::Failed);
  EXPECT_EQ(folder_.Entries(), std::vector<std::wstring>{});
}

TEST_F(Job, TheEndOfTheTransferEndsTheWaitWithoutWaitingForTheNextCheck) {
  // The body takes about 0.5 s: with a blind two-second sleep the run would last two seconds.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Run(Request("/bytes?size=100000&rate=200000")).result, DownloadResult::Completed);
  EXPECT_LT(Since(start), milliseconds(1800));
  // Nor was the network asked: a transfer that ends within the first interval never waits for it.
  EXPECT_EQ(checks_.load(), 0);
}

TEST_F(Job, ARetryResumesWhereTheDroppedAttemptEnded) {
  // Every request without a range is dropped after a third of the body; the retry asks for the
  // rest and gets it.
  const DownloadRequest request =
      Request("/bytes?size=3000000&drop_after=1000000&drop_unranged=1&etag=v1", 1);
  ASSERT_EQ(Run(request).result, DownloadResult::Completed);
  const auto bytes = FileBytes(request.path);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(bytes->size(), 3000000u);
  EXPECT_EQ(msk::test::FirstMismatch(*bytes, 0), bytes->size());
}

TEST_F(Job, AJobStartsOverWhenTheServerCannotContinueTheFile) {
  // A range is answered as if the resource had changed: to another size (a 206 that would splice
  // two files into an "OK"), or to the size the file already has (a 416 on the last allowed
  // attempt). Either way the job starts over without using up its retry, and that attempt is
  // dropped again.
  for (const std::string rangedSize : {"2000000", "1000000"}) {
    const DownloadRequest request = Request(
        "/bytes?size=3000000&drop_after=1000000&drop_unranged=1&etag=v1&ranged_size=" + rangedSize,
        1);
    EXPECT_EQ(Run(request).result, DownloadResult::ConnectionLost) << rangedSize;
    EXPECT_EQ(folder_.Entries(), std::vector<std::wstring>{}) << rangedSize;
  }
}

TEST_F(Job, AResumeNeverSplicesTwoVersionsOfTheResource) {
  // Half of version v1 arrives; by the retry the server holds v2 of the same size. Asked with
  // If-Range, it answers v2 whole; without a validator the job does not resume at all.
  struct Case {
    const char* what;
    std::string route;
    std::uint64_t shift;  // where the file's bytes begin in the generated pattern
  };
  const Case cases[] = {
      {"If-Range", "/bytes?size=3000000&drop_after=1000000&drop_unranged=1&etag=v1&ranged_etag=v2",
       1},
      {"no validator", "/bytes?size=3000000&drop_after=1000000&drop_unranged=1", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const DownloadRequest request = Request(c.route, 1);
    const DownloadOutcome outcome = Run(request);
    if (c.shift == 0) {
      // Started over, and dropped again like the first attempt.
      EXPECT_EQ(outcome.result, DownloadResult::ConnectionLost);
      EXPECT_FALSE(FileExists(request.path));
      continue;
    }
    ASSERT_EQ(outcome.result, DownloadResult::Completed);
    const auto bytes = FileBytes(request.path);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->size(), 3000000u);
    EXPECT_EQ(msk::test::FirstMismatch(*bytes, c.shift), bytes->size());  // all of v2
  }
}

// The script's proxy is the whole route: the view is told it, and a proxy that cannot be connected
// to is named in the outcome, with no file left.
TEST_F(Job, AJobGoesThroughTheScriptsProxyAndNamesOneThatCannotBeReached) {
  const auto proxy = [](const std::string& address) {
    hftp::ProxyInfo info;
    info.host = "127.0.0.1";
    info.address = address;
    return info;
  };
  DownloadRequest request = Request("");
  request.url = L"http://payload.test/bytes?size=1000";
  const std::string alive = msk::test::TestServer::HostAndPort();
  request.options.proxy = proxy(alive);
  EXPECT_EQ(Run(request).result, DownloadResult::Completed);
  EXPECT_EQ(FileSize(request.path), 1000u);
  EXPECT_EQ(view_.Routes(), std::vector<std::wstring>{std::wstring(alive.begin(), alive.end())});
  std::filesystem::remove(std::filesystem::path(request.path));

  const std::string dead = "127.0.0.1:" + std::to_string(msk::test::TestServer::ClosedPort());
  request.options.proxy = proxy(dead);
  const DownloadOutcome outcome = Run(request);
  EXPECT_EQ(outcome.result, DownloadResult::ProxyUnreachable);
  EXPECT_EQ(outcome.detail.rfind(dead + ": ", 0), 0u) << outcome.detail;
  EXPECT_EQ(folder_.Entries(), std::vector<std::wstring>{});
}

TEST_F(Job, AFileThatIsNotTheOneExpectedIsRemoved) {
  DownloadRequest request = Request("/bytes?size=1000");
  request.sha256 = std::string(64, '0');
  EXPECT_EQ(Run(request).result, DownloadResult::ChecksumMismatch);
  EXPECT_FALSE(FileExists(request.path));
}

TEST_F(Job, ACancelEndsATransferOrAPauseAtOnceAndLeavesNothing) {
  for (const bool duringPause : {false, true}) {
    SCOPED_TRACE(duringPause ? "during the pause" : "during the transfer");
    download::CancelSignal cancel;
    DownloadRequest request =
        duringPause ? Request("/status/503", 3) : Request("/bytes?size=2000000&rate=50000", 3);
    environment_.pause = [](int) { return milliseconds(60000); };
    auto job = std::async(std::launch::async, [&] {
      return download::RunJob(request, factory_, nullptr, cancel, environment_);
    });
    if (duringPause) {
      std::this_thread::sleep_for(milliseconds(500));  // the 503 has come; the pause runs
    } else {
      ASSERT_TRUE(BytesArrive(request.path));
    }
    const auto raised = std::chrono::steady_clock::now();
    cancel.Raise();
    ASSERT_EQ(job.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(job.get().result, DownloadResult::Cancelled);
    EXPECT_LT(Since(raised), milliseconds(2000));
    EXPECT_EQ(folder_.Entries(), std::vector<std::wstring>{});
  }
}

using msk::test::WorkerHold;

TEST_F(Job, ACancelAndTheTimeLimitsAnswerWhileTheWorkerIsHeld) {
  enum class By { Cancel, WholeLimit, WholeLimitPastConnect };
  struct Case {
    const char* what;
    By by;
    const char* route;
    DownloadResult expected;
    milliseconds within;  // of the cancel, or of the start for a limit
  };
  const Case cases[] = {
      {"cancel", By::Cancel, "/bytes?size=2000000&rate=50000", DownloadResult::Cancelled,
       milliseconds(1000)},
      {"whole-transfer limit of 2 s", By::WholeLimit, "/bytes?size=2000000&rate=50000",
       DownloadResult::TimedOut, milliseconds(4000)},
      // Connected, its request out, no answer yet: the connect limit of 1 s is behind it, and
      // only the whole-transfer limit of 3 s may end it, however long another transfer holds the
      // worker; it never answers CannotConnect.
      {"connected, awaiting its answer", By::WholeLimitPastConnect, "/bytes?size=10&delay=20",
       DownloadResult::TimedOut, milliseconds(5000)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    download::CancelSignal cancel;
    DownloadRequest request = Request(c.route);
    if (c.by == By::WholeLimit) request.options.totalTimeout = std::chrono::seconds(2);
    if (c.by == By::WholeLimitPastConnect) {
      request.options.connectTimeout = std::chrono::seconds(1);
      request.options.totalTimeout = std::chrono::seconds(3);
    }
    const auto start = std::chrono::steady_clock::now();
    auto job = std::async(std::launch::async, [&] {
      return download::RunJob(request, factory_, nullptr, cancel, environment_);
    });
    if (c.by == By::WholeLimitPastConnect) {
      std::this_thread::sleep_for(milliseconds(300));  // the request is out
    } else {
      ASSERT_TRUE(BytesArrive(request.path));
    }
    const auto hold = std::make_shared<WorkerHold>();
    auto holding = factory_.CreatePooledService(ServerUrl("/bytes?size=10"), hold, {});
    ASSERT_TRUE(hold->AwaitHeld());
    const auto raised = std::chrono::steady_clock::now();
    if (c.by == By::Cancel) cancel.Raise();
    const auto answered = job.wait_for(std::chrono::seconds(10));
    const milliseconds took = Since(c.by == By::Cancel ? raised : start);
    hold->Release();
    holding.reset();
    ASSERT_EQ(answered, std::future_status::ready);
    EXPECT_EQ(job.get().result, c.expected);
    EXPECT_LT(took, c.within);
    download::AwaitBackgroundReleases();
    EXPECT_EQ(folder_.Entries(), std::vector<std::wstring>{});
  }
}

TEST_F(Job, ARequestThatCannotSucceedIsNotRetried) {
  environment_.pause = [](int) { return milliseconds(5000); };
  const auto start = std::chrono::steady_clock::now();
  DownloadRequest request = Request("", 3);
  request.url = L"nosuch://127.0.0.1/payload";
  EXPECT_EQ(Run(request).result, DownloadResult::Unrecoverable);
  EXPECT_LT(Since(start), milliseconds(4000));  // a retry would have paused 5 s first
}

}  // namespace
