// A download whose name lookup does not answer (HeldLookup.h): a cancel and the connect limit
// still answer on time, and a download from another server beside it runs as if it were alone.
// libcurl's resolver runs the lookup on a thread of its own; the engine must never wait for that
// thread on the shared worker, which every pooled transfer needs.
#include "HeldLookup.h"
#include "download/EngineSession.h"
#include "download/Job.h"
#include "hftp/ServiceFactory.h"
#include "support/NoProxyFactory.h"
#include "support/ScratchFolder.h"
#include "support/TestServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <optional>
#include <string>
#include <thread>

namespace {

using download::DownloadRequest;
using download::DownloadResult;
using std::chrono::milliseconds;

using msk::test::NoProxyFactory;

std::wstring Wide(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

milliseconds Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
}

TEST(HeldLookup, NeitherHoldsACancelOrTheConnectLimitNorSlowsAnotherDownload) {
  const std::string heldName = "held-lookup.test";
  struct Case {
    const char* what;
    std::optional<milliseconds> cancelAt;  // else the connect limit of 1 s ends it
    DownloadResult expected;
    milliseconds within;  // of the cancel, or of the start
  };
  const Case cases[] = {
      {"a cancel at 0.5 s", milliseconds(500), DownloadResult::Cancelled, milliseconds(2000)},
      {"a connect limit of 1 s", std::nullopt, DownloadResult::CannotConnect, milliseconds(4000)},
  };
  const download::EngineSession engine;
  NoProxyFactory factory;
  download::JobEnvironment environment;
  environment.isOnline = [] { return true; };
  msk::test::ScratchFolder folder;
  const std::string server = msk::test::TestServer::HostAndPort();
  const std::string port = server.substr(server.rfind(':') + 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    msk::test::HeldLookup held(heldName);
    download::CancelSignal cancel;
    DownloadRequest request;
    request.url = Wide("http://" + heldName + ":" + port + "/bytes?size=1000");
    request.path = folder.Path(L"held.bin");
    if (!c.cancelAt) request.options.connectTimeout = std::chrono::seconds(1);
    // Three seconds of body, over the moment the held transfer ends.
    DownloadRequest beside;
    beside.url = Wide(msk::test::TestServer::Url("/bytes?size=150000&rate=50000"));
    beside.path = folder.Path(L"beside.bin");
    const download::CancelSignal noCancel;

    const auto start = std::chrono::steady_clock::now();
    auto job = std::async(std::launch::async, [&] {
      return download::RunJob(request, factory, nullptr, cancel, environment);
    });
    ASSERT_TRUE(held.AwaitLookup(std::chrono::seconds(5))) << "the lookup never reached the hold";
    const auto besideStart = std::chrono::steady_clock::now();
    auto besideJob = std::async(std::launch::async, [&] {
      return download::RunJob(beside, factory, nullptr, noCancel, environment);
    });
    std::chrono::steady_clock::time_point from = start;
    if (c.cancelAt) {
      std::this_thread::sleep_until(start + *c.cancelAt);
      from = std::chrono::steady_clock::now();
      cancel.Raise();
    }
    const auto answered = job.wait_for(std::chrono::seconds(10));
    const milliseconds took = Since(from);
    besideJob.wait_for(std::chrono::seconds(10));
    const milliseconds besideTook = Since(besideStart);
    held.Release();  // lets the resolver's thread end
    ASSERT_EQ(answered, std::future_status::ready);
    EXPECT_EQ(job.get().result, c.expected);
    EXPECT_LT(took.count(), c.within.count());
    // Three seconds alone; the lookup is held for twenty.
    EXPECT_LT(besideTook.count(), 8000) << "the other download waited for the lookup";
    EXPECT_EQ(besideJob.get().result, DownloadResult::Completed);
  }
}

}  // namespace
