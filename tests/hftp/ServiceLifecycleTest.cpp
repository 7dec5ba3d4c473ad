// What an observer hears over a service's life: refusals, destruction, completion codes.
#include <gtest/gtest.h>

#include <curl/curl.h>

#include <stdexcept>

#include "TransferHelpers.h"
#include "hftp/detail/Service.h"
#include "support/TestServer.h"

namespace hftp::test {
namespace {

using msk::test::TestServer;

std::unique_ptr<detail::Service> MakeGet(const std::string& url,
                                         std::shared_ptr<IObserver> observer) {
  return std::make_unique<detail::Service>(url, std::move(observer), ProxyInfo(), "", "", 0,
                                           std::vector<std::string>(), "");
}

TEST(ServiceLifecycle, ObserverRefusingDataHearsNothingMore) {
  for (const std::size_t refused : {1u, 3u}) {
    SCOPED_TRACE(refused);
    auto observer = std::make_shared<RecordingObserver>();
    observer->refuseChunk = refused;
    RunGet(GetRequest{TestServer::Url("/bytes?size=100000")}, observer);
    ASSERT_EQ(observer->All().size(), refused);
    EXPECT_EQ(observer->All().back().status, StatusData);
  }
}

TEST(ServiceLifecycle, RefusingTheLastChunkOfARangeIsNotTurnedIntoSuccess) {
  auto observer = std::make_shared<RecordingObserver>();
  observer->refuseChunk = 1;
  {
    detail::Service service(TestServer::Url("/bytes?size=5000&ranges=ignore"), 0, 99, observer,
                            ProxyInfo(), "", "", 0, "");
    service.Run();
  }
  ASSERT_EQ(observer->All().size(), 1u);
  EXPECT_EQ(observer->All().front().status, StatusData);
}

class ThrowingObserver : public IObserver {
 public:
  bool OnDataChunk(const IDataAccessor&, const IDownloadStatus& status) override {
    ++calls;
    if (status.GetStatus() == StatusData) throw std::runtime_error("disk full");
    return true;
  }
  int calls = 0;
};

TEST(ServiceLifecycle, ObserverThrowingFromDataCountsAsRefusal) {
  auto observer = std::make_shared<ThrowingObserver>();
  MakeGet(TestServer::Url("/bytes?size=100000"), observer)->Run();
  EXPECT_EQ(observer->calls, 1);
}

TEST(ServiceLifecycle, WithoutObserverTheTransferStillRuns) {
  auto service = MakeGet(TestServer::Url("/bytes?size=50000"), nullptr);
  service->Run();
  CURL* const handle = static_cast<CURL*>(service->GetHandle());
  long code = 0;
  curl_off_t downloaded = 0;
  ASSERT_EQ(curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &code), CURLE_OK);
  ASSERT_EQ(curl_easy_getinfo(handle, CURLINFO_SIZE_DOWNLOAD_T, &downloaded), CURLE_OK);
  EXPECT_EQ(code, 200);
  EXPECT_EQ(downloaded, 50000);
}

TEST(ServiceLifecycle, DestroyingAnUnrunServiceAbortsOnce) {
  auto observer = std::make_shared<RecordingObserver>();
  MakeGet(TestServer::Url("/bytes?size=10"), observer).reset();
  ASSERT_EQ(observer->FinalStatus(), StatusAborted);
  const Notification& aborted = *observer->Final();
  EXPECT_TRUE(aborted.dataIsNull);
  EXPECT_EQ(aborted.totalSize, 0);
  EXPECT_FALSE(aborted.headerLine);
  EXPECT_FALSE(aborted.resultCode);
}

TEST(ServiceLifecycle, AbortedByCallbackIsToldAtCompletionAndAgainAtDestruction) {
  auto observer = std::make_shared<RecordingObserver>();
  auto service = MakeGet(TestServer::Url("/bytes?size=10"), observer);
  service->OnComplete(CURLE_ABORTED_BY_CALLBACK);
  service.reset();
  ASSERT_EQ(observer->All().size(), 2u);
  EXPECT_EQ(observer->All()[0].status, StatusAborted);
  EXPECT_EQ(observer->All()[0].resultCode, CURLE_ABORTED_BY_CALLBACK);
  EXPECT_EQ(observer->All()[1].status, StatusAborted);
  EXPECT_FALSE(observer->All()[1].resultCode);
}

TEST(ServiceLifecycle, EveryResultCodeEndsWithOneFinalStatus) {
  // Results the pool may hand over, including ones libcurl added after the classification was
  // written; none may leave the observer waiting. (A write error that none of the service's
  // handlers caused is no refusal either.)
  for (int result = 0; result <= 99; ++result) {
    SCOPED_TRACE(result);
    auto observer = std::make_shared<RecordingObserver>();
    auto service = MakeGet("http://127.0.0.1:1/", observer);
    service->OnComplete(static_cast<CURLcode>(result));
    ASSERT_FALSE(observer->All().empty());
    const Notification& final = observer->All().front();
    EXPECT_NE(final.status, StatusData);
    EXPECT_NE(final.status, StatusRefused);
    EXPECT_EQ(final.resultCode, result);
  }
}

}  // namespace
}  // namespace hftp::test
