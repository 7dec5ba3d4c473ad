// Background jobs with the real engine against the loopback test server: several at once, their
// state as they run, waiting (twice, with a cancel, with the progress handed on), cancelling one
// and all, unknown ids, and that a caller holding the engine in the foreground and the jobs do
// not disturb each other.
#include "download/BackgroundJobs.h"
#include "download/DeferredRelease.h"
#include "download/JobStatusText.h"
#include "hftp/ServiceFactory.h"
#include "support/GeneratedBody.h"
#include "support/NoProxyFactory.h"
#include "support/ScratchFolder.h"
#include "support/TestServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using download::BackgroundJobs;
using download::DownloadRequest;
using download::DownloadResult;
using download::JobState;
using download::JobStatus;
using msk::test::FileBytes;
using msk::test::ScratchFolder;
using std::chrono::milliseconds;

using msk::test::NoProxyFactory;

std::wstring ServerUrl(const std::string& pathAndQuery) {
  const std::string url = msk::test::TestServer::Url(pathAndQuery);
  return std::wstring(url.begin(), url.end());
}

class LastProgress final : public download::ProgressView {
 public:
  void ShowPercent(int percent) noexcept override { percent_ = percent; }
  void ShowBytes(std::uint64_t received, std::int64_t) noexcept override { bytes_ = received; }
  int percent() const noexcept { return percent_; }
  std::uint64_t bytes() const noexcept { return bytes_; }

 private:
  std::atomic<int> percent_{0};
  std::atomic<std::uint64_t> bytes_{0};
};

class BackgroundJobsTest : public ::testing::Test {
 protected:
  BackgroundJobsTest() {
    environment_.pause = [](int) { return milliseconds(0); };
  }

  DownloadRequest Request(const std::string& route, const std::wstring& name = L"payload.bin") {
    DownloadRequest request;
    request.url = ServerUrl(route);
    request.path = folder_.Path(name);
    return request;
  }
  // Polls the job until `done` answers true for its status, for at most 10 s.
  template <typename Predicate>
  bool StatusBecomes(BackgroundJobs::Id id, Predicate done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      const std::optional<JobStatus> status = jobs_->Status(id);
      if (status && done(*status)) return true;
      std::this_thread::sleep_for(milliseconds(10));
    }
    return false;
  }
  bool Runs(BackgroundJobs::Id id) {
    return StatusBecomes(id, [](const JobStatus& s) { return s.state == JobState::Running; });
  }

  ScratchFolder folder_;
  download::JobEnvironment environment_;
  download::CancelSignal nobodyCancels_;
  std::unique_ptr<BackgroundJobs> jobs_ =
      std::make_unique<BackgroundJobs>(std::make_shared<NoProxyFactory>(), environment_);
};

TEST_F(BackgroundJobsTest, SeveralRunAtOnceAndEachArrivesWhole) {
  std::vector<BackgroundJobs::Id> ids;
  for (const wchar_t* name : {L"a.bin", L"b.bin", L"c.bin"}) {
    ids.push_back(jobs_->Start(Request("/bytes?size=400000&rate=200000", name)));  // 2 s each
  }
  EXPECT_EQ(ids, (std::vector<BackgroundJobs::Id>{1, 2, 3}));
  // All three transfer at the same time: none has ended when the last has begun.
  for (const BackgroundJobs::Id id : ids) ASSERT_TRUE(Runs(id)) << id;
  for (const BackgroundJobs::Id id : ids) {
    EXPECT_EQ(jobs_->Status(id)->state, JobState::Running) << id;
  }
  EXPECT_GE(download::EngineSession::Holders(), 3);
  for (const BackgroundJobs::Id id : ids) {
    const auto outcome = jobs_->Wait(id, nullptr, nobodyCancels_);
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(outcome->result, DownloadResult::Completed) << id;
  }
  for (const wchar_t* name : {L"a.bin", L"b.bin", L"c.bin"}) {
    const auto bytes = FileBytes(folder_.Path(name));
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->size(), 400000u);
    EXPECT_EQ(msk::test::FirstMismatch(*bytes, 0), bytes->size());
  }
}

TEST_F(BackgroundJobsTest, StatusGoesFromRunningWithGrowingBytesToDoneAndWaitAnswersTwice) {
  const BackgroundJobs::Id id = jobs_->Start(Request("/bytes?size=300000&rate=150000"));
  ASSERT_TRUE(Runs(id));
  const std::uint64_t first = jobs_->Status(id)->progress.received;
  ASSERT_TRUE(StatusBecomes(id, [&](const JobStatus& s) {
    return s.state == JobState::Done || s.progress.received > first;
  }));
  LastProgress view;
  const auto outcome = jobs_->Wait(id, &view, nobodyCancels_);
  ASSERT_TRUE(outcome.has_value());
  EXPECT_EQ(outcome->result, DownloadResult::Completed);
  EXPECT_EQ(view.percent(), 100);
  EXPECT_EQ(view.bytes(), 300000u);
  const JobStatus done = *jobs_->Status(id);
  EXPECT_EQ(done.state, JobState::Done);
  EXPECT_EQ(done.progress.received, 300000u);
  EXPECT_EQ(done.progress.total, 300000);
  ASSERT_TRUE(done.progress.bytesPerSecond.has_value());  // measured while it ran
  EXPECT_GT(*done.progress.bytesPerSecond, 0.0);
  EXPECT_EQ(jobs_->Wait(id, nullptr, nobodyCancels_)->result, DownloadResult::Completed);
}

TEST_F(BackgroundJobsTest, AFailureIsTheJobsOutcome) {
  const BackgroundJobs::Id id = jobs_->Start(Request("/bytes?size=1000&status=404"));
  const auto outcome = jobs_->Wait(id, nullptr, nobodyCancels_);
  ASSERT_TRUE(outcome.has_value());
  EXPECT_EQ(outcome->result, DownloadResult::HttpError);
  EXPECT_EQ(outcome->httpStatus, 404);
  EXPECT_EQ(folder_.Entries(), std::vector<std::wstring>{});
}

TEST_F(BackgroundJobsTest, UnknownIdsAreAnsweredAsSuch) {
  EXPECT_FALSE(jobs_->Status(1).has_value());
  EXPECT_FALSE(jobs_->Wait(1, nullptr, nobodyCancels_).has_value());
  EXPECT_FALSE(jobs_->Cancel(1));
  const BackgroundJobs::Id id = jobs_->Start(Request("/bytes?size=10"));
  EXPECT_FALSE(jobs_->Status(id + 1).has_value());
}

TEST_F(BackgroundJobsTest, CancelEndsTheJobAtOnceAndRemovesItsFile) {
  const BackgroundJobs::Id id = jobs_->Start(Request("/bytes?size=2000000&rate=50000"));
  ASSERT_TRUE(Runs(id));
  ASSERT_TRUE(jobs_->Cancel(id));
  EXPECT_EQ(jobs_->Status(id)->state, JobState::Done);
  EXPECT_EQ(folder_.Entries(), std::vector<std::wstring>{});
  EXPECT_EQ(jobs_->Wait(id, nullptr, nobodyCancels_)->result, DownloadResult::Cancelled);
  EXPECT_TRUE(jobs_->Cancel(id));  // an ended job keeps its outcome
  EXPECT_EQ(jobs_->Status(id)->outcome->result, DownloadResult::Cancelled);
}

TEST_F(BackgroundJobsTest, AWaitersCancelCancelsTheJob) {
  const BackgroundJobs::Id id = jobs_->Start(Request("/bytes?size=2000000&rate=50000"));
  ASSERT_TRUE(Runs(id));
  download::CancelSignal cancel;
  std::thread user([&] {
    std::this_thread::sleep_for(milliseconds(200));
    cancel.Raise();
  });
  const auto outcome = jobs_->Wait(id, nullptr, cancel);
  user.join();
  EXPECT_EQ(outcome->result, DownloadResult::Cancelled);
  EXPECT_EQ(folder_.Entries(), std::vector<std::wstring>{});
}

TEST_F(BackgroundJobsTest, CancelAllEndsEveryJobAndReleasesTheEngine) {
  jobs_->Start(Request("/bytes?size=2000000&rate=50000", L"a.bin"));
  const BackgroundJobs::Id last = jobs_->Start(Request("/bytes?size=2000000&rate=50000", L"b.bin"));
  ASSERT_TRUE(Runs(last));
  EXPECT_TRUE(jobs_->CancelAll(std::chrono::seconds(1)));
  // The cancelled transfers are released in the background, as at the plug-in's unload.
  download::AwaitBackgroundReleases();
  EXPECT_EQ(download::EngineSession::Holders(), 0);
  EXPECT_EQ(folder_.Entries(), std::vector<std::wstring>{});
  EXPECT_EQ(jobs_->Status(last)->outcome->result, DownloadResult::Cancelled);
}

TEST_F(BackgroundJobsTest, AForegroundHolderComesAndGoesWithoutDisturbingAJob) {
  const BackgroundJobs::Id id = jobs_->Start(Request("/bytes?size=400000&rate=200000"));
  ASSERT_TRUE(Runs(id));
  {
    const download::EngineSession engine;  // as HTTPDownload holds it
    DownloadRequest request = Request("/bytes?size=100000", L"foreground.bin");
    EXPECT_EQ(
        download::RunJob(request, *std::make_shared<NoProxyFactory>(), nullptr, nobodyCancels_)
            .result,
        DownloadResult::Completed);
  }
  // The foreground's end neither tore the engine down under the job nor waited for it.
  EXPECT_EQ(jobs_->Status(id)->state, JobState::Running);
  EXPECT_EQ(jobs_->Wait(id, nullptr, nobodyCancels_)->result, DownloadResult::Completed);
}

TEST(JobStatusText, FillsTheStateTheBytesAndTheResultBesideTheProgressText) {
  JobStatus waiting;
  JobStatus running;
  running.state = JobState::Running;
  running.bytesKnown = true;
  running.progress = {1048576, 4194304, std::nullopt};
  JobStatus unsized = running;
  unsized.progress.total = 0;
  JobStatus done = running;
  done.state = JobState::Done;
  const struct {
    const JobStatus& status;
    const wchar_t* pattern;
    const wchar_t* text;
  } kCases[] = {
      {waiting, L"@STATE@ [@RECEIVED_B@/@TOTAL_B@] [@RESULT@]", L"waiting [/] []"},
      {running, L"@STATE@ @RECEIVED_B@/@TOTAL_B@ @PERCENT@ [@RESULT@]",
       L"running 1048576/4194304 25% []"},
      {unsized, L"@RECEIVED_B@/@TOTAL_B@ @TOTAL@", L"1048576/ ?"},
      {done, L"@STATE@:@RESULT@", L"done:HTTP 404 @PERCENT@"},
      {running, L"", L""},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(download::JobStatusText(c.pattern, c.status, L"HTTP 404 @PERCENT@"), c.text)
        << std::wstring(c.pattern).size();
  }
}

}  // namespace
