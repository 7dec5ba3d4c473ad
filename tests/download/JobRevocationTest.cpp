// The job and the revocation verdict on an HTTPS server's certificate: a completed transfer is a
// download only once the verdict is in (scripted checks, on every platform), a revoked certificate
// leaves no file, and a revocation server that does not answer holds neither its own download
// beyond the check's bound nor any other (Windows, where the engine checks revocation).
#include "download/Job.h"
#include "hftp/ForTesting.h"
#include "hftp/IObserver.h"
#include "hftp/RevocationCheck.h"
#include "hftp/ServiceFactory.h"
#include "support/GeneratedBody.h"
#include "support/NoProxyFactory.h"
#include "support/ScratchFolder.h"
#include "support/TestServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace {

using download::DownloadOutcome;
using download::DownloadResult;
using msk::test::FileExists;
using msk::test::ScratchFolder;
using msk::test::TestServer;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

std::wstring Wide(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

milliseconds Since(Clock::time_point start) {
  return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
}

using msk::test::NoProxyFactory;

// Passes everything on to the job's sink, the response with a check of the test's own, as the
// engine hands on the check of an HTTPS server's certificate.
class CheckedObserver final : public hftp::IObserver {
 public:
  CheckedObserver(std::shared_ptr<hftp::IObserver> sink,
                  std::shared_ptr<const hftp::RevocationCheck> check)
      : sink_(std::move(sink)), check_(std::move(check)) {}
  bool OnDataChunk(const hftp::IDataAccessor& data, const hftp::IDownloadStatus& status) override {
    return sink_->OnDataChunk(data, status);
  }
  void OnResponse(const hftp::ResponseInfo& response) override {
    hftp::ResponseInfo checked = response;
    checked.revocation.push_back(check_);
    sink_->OnResponse(checked);
  }
  void OnTransferEnd(const hftp::TransferResult& result) override { sink_->OnTransferEnd(result); }

 private:
  std::shared_ptr<hftp::IObserver> sink_;
  std::shared_ptr<const hftp::RevocationCheck> check_;
};

class CheckingFactory final : public NoProxyFactory {
 public:
  explicit CheckingFactory(std::shared_ptr<const hftp::RevocationCheck> check)
      : check_(std::move(check)) {}
  using NoProxyFactory::CreatePooledService;
  std::shared_ptr<hftp::IService> CreatePooledService(
      const std::wstring& url, std::shared_ptr<hftp::IObserver> observer,
      const hftp::RequestOptions& options) override {
    return NoProxyFactory::CreatePooledService(
        url, std::make_shared<CheckedObserver>(std::move(observer), check_), options);
  }

 private:
  std::shared_ptr<const hftp::RevocationCheck> check_;
};

TEST(JobRevocation, ACompletedTransferWaitsForTheVerdictOnItsServer) {
  const download::EngineSession engine;
  struct Case {
    const char* what;
    milliseconds deadlineIn;                  // from the start of the job
    std::optional<milliseconds> settleAfter;  // when the check answers; never without
    hftp::Revocation verdict;
    bool cancel;  // raised 300 ms in
    DownloadResult result;
  };
  const Case cases[] = {
      {"revoked while the job waits", milliseconds(4000), milliseconds(600),
       hftp::Revocation::Revoked, false, DownloadResult::CertificateNotTrusted},
      {"no answer by the deadline: unknown, accepted", milliseconds(600), std::nullopt,
       hftp::Revocation::Pending, false, DownloadResult::Completed},
      {"a cancel ends the wait", milliseconds(4000), std::nullopt, hftp::Revocation::Pending, true,
       DownloadResult::Cancelled},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder folder;
    download::DownloadRequest request;
    request.url = Wide(TestServer::Url("/bytes?size=1000"));
    request.path = folder.Path(L"payload.bin");
    const Clock::time_point start = Clock::now();
    const auto check = std::make_shared<hftp::RevocationCheck>(start + c.deadlineIn -
                                                               hftp::RevocationCheck::kBound);
    CheckingFactory factory(check);
    download::CancelSignal cancel;
    std::thread answer([&] {
      if (c.settleAfter) {
        std::this_thread::sleep_for(*c.settleAfter);
        check->Settle(c.verdict);
      } else if (c.cancel) {
        std::this_thread::sleep_for(milliseconds(300));
        cancel.Raise();
      }
    });
    // Both ways of running a transfer: the one attempt (HTTPDownload) cleans up after itself.
    const DownloadOutcome outcome =
        c.cancel ? download::RunJob(request, factory, nullptr, cancel)
                 : download::RunAttempt(request.url, request.path, {}, factory, nullptr);
    const milliseconds took = Since(start);
    answer.join();
    EXPECT_EQ(outcome.result, c.result) << outcome.detail;
    EXPECT_EQ(FileExists(request.path), c.result == DownloadResult::Completed);
    // Not before the verdict or the deadline; a cancel at once.
    const milliseconds answerable =
        c.cancel ? milliseconds(300) : c.settleAfter.value_or(c.deadlineIn);
    EXPECT_GE(took, answerable - milliseconds(50));
    EXPECT_LT(took, answerable + milliseconds(1000));
  }
}

#ifdef _WIN32
class JobRevocationOnWindows : public ::testing::Test {
 protected:
  const download::EngineSession engine_;
  NoProxyFactory factory_;
  // The server certificates are issued by the test CA, which a machine would have among its roots.
  hftp::detail::ScopedTrustedCaFileForTesting trustTestCa_{TestServer::TestCaFile()};
  ScratchFolder folder_;
};

// The held server's revocation list answers only after a minute. Its download waits for the
// verdict no longer than the check's bound, and a plain download on the same engine meanwhile is
// not held at all (Schannel's own check held the shared worker for minutes under wine).
TEST_F(JobRevocationOnWindows, ARevocationServerThatDoesNotAnswerHoldsNoOtherDownload) {
  if (!TestServer::ServesHttps("revocation_held")) {
    GTEST_SKIP() << "the test server could not issue the revocation_held certificate";
  }
  const Clock::time_point start = Clock::now();
  auto held = std::async(std::launch::async, [&] {
    return download::RunAttempt(Wide(TestServer::HttpsUrl("revocation_held", "/bytes?size=1000")),
                                folder_.Path(L"held.bin"), {}, factory_, nullptr);
  });
  std::this_thread::sleep_for(milliseconds(500));  // its handshake is done, its check running
  const Clock::time_point plainStart = Clock::now();
  const DownloadOutcome plain =
      download::RunAttempt(Wide(TestServer::Url("/bytes?size=1000000")), folder_.Path(L"plain.bin"),
                           {}, factory_, nullptr);
  const milliseconds plainTook = Since(plainStart);
  ASSERT_EQ(held.wait_for(std::chrono::seconds(30)), std::future_status::ready);
  const DownloadOutcome heldOutcome = held.get();
  const milliseconds heldTook = Since(start);
  RecordProperty("plain_ms", static_cast<int>(plainTook.count()));
  RecordProperty("held_ms", static_cast<int>(heldTook.count()));
  EXPECT_EQ(plain.result, DownloadResult::Completed);
  EXPECT_LT(plainTook, milliseconds(3000));
  // An unreachable revocation server is accepted: best effort, within the bound.
  EXPECT_EQ(heldOutcome.result, DownloadResult::Completed) << heldOutcome.detail;
  EXPECT_LT(heldTook, std::chrono::seconds(10));
}

// Counts the body bytes shown.
class ByteCount final : public download::ProgressView {
 public:
  void ShowPercent(int) noexcept override {}
  void ShowBytes(std::uint64_t received, std::int64_t) noexcept override { received_ = received; }
  std::uint64_t Received() const noexcept { return received_; }

 private:
  std::atomic<std::uint64_t> received_{0};
};

// The revoked server's revocation list revokes its certificate: no download from it succeeds,
// the first one refused once its check answers, a later one as soon as it connects, before any
// of the body comes.
TEST_F(JobRevocationOnWindows, AServerWhoseCertificateWasRevokedDeliversNothing) {
  if (!TestServer::ServesHttps("revoked")) {
    GTEST_SKIP() << "the test server could not issue the revoked certificate";
  }
  for (const bool known : {false, true}) {
    SCOPED_TRACE(known ? "known to be revoked" : "checked while the transfer runs");
    download::DownloadRequest request;
    request.url = Wide(TestServer::HttpsUrl("revoked", "/bytes?size=1000"));
    request.path = folder_.Path(L"payload.bin");
    ByteCount view;
    const DownloadOutcome outcome = download::RunJob(request, factory_, &view, {});
    EXPECT_EQ(outcome.result, DownloadResult::CertificateNotTrusted) << outcome.detail;
    EXPECT_EQ(outcome.detail, hftp::kRevokedCertificateWords);
    EXPECT_FALSE(FileExists(request.path));
    if (known) {
      EXPECT_EQ(view.Received(), 0u);
    }
  }
}
#endif

}  // namespace
