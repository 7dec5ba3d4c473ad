// The first HTTPS download of a process waits for the machine's trusted roots to be gathered
// (Windows): a cancel meanwhile answers at once, not once they are.
#include "download/Job.h"
#include "hftp/ForTesting.h"
#include "hftp/ServiceFactory.h"
#include "support/NoProxyFactory.h"
#include "support/ScratchFolder.h"
#include "support/TestServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

#ifdef _WIN32
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

using msk::test::NoProxyFactory;

TEST(JobTrustedRoots, ACancelWhileTheRootsAreGatheredAnswersAtOnce) {
  // ctest runs each test in a process of its own, where this download is the first over HTTPS;
  // the emulated guest runs a program's tests in one process.
  if (hftp::detail::PlatformTrustedRootsBuiltForTesting()) {
    GTEST_SKIP() << "an earlier test of this process gathered the roots";
  }
  const hftp::detail::ScopedRootsGatheringDelayForTesting slowMachine(std::chrono::seconds(5));
  const hftp::detail::ScopedTrustedCaFileForTesting trustTestCa(
      msk::test::TestServer::TestCaFile());
  msk::test::ScratchFolder folder;
  download::DownloadRequest request;
  const std::string url = msk::test::TestServer::HttpsUrl("good", "/bytes?size=1000");
  request.url = std::wstring(url.begin(), url.end());
  request.path = folder.Path(L"payload.bin");
  NoProxyFactory factory;
  download::CancelSignal cancel;
  auto job = std::async(std::launch::async,
                        [&] { return download::RunJob(request, factory, nullptr, cancel); });
  std::this_thread::sleep_for(milliseconds(300));
  const Clock::time_point raised = Clock::now();
  cancel.Raise();
  const download::DownloadOutcome outcome = job.get();
  const auto answered = std::chrono::duration_cast<milliseconds>(Clock::now() - raised);
  EXPECT_EQ(outcome.result, download::DownloadResult::Cancelled);
  EXPECT_LT(answered, milliseconds(2000)) << "the gathering takes 5 s";
  EXPECT_FALSE(msk::test::FileExists(request.path));
}

}  // namespace
#endif  // only Windows gathers the machine's roots
