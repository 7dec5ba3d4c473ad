// The download procedure with the real engine against the loopback test server, linked into the
// test program so that the network check can be scripted: the loss of the network, a refused
// target, a factory that fails, and that the engine is gone after every run.
#include "hftp/ServiceFactory.h"
#include "support/GeneratedBody.h"
#include "support/ProcessThreads.h"
#include "support/ScratchFolder.h"
#include "support/TestServer.h"
#include "tools/ForTesting.h"
#include "tools/NetworkCheck.h"
#include "ui/DownloadProcedure.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using msk::test::FileBytes;
using msk::test::FileExists;
using msk::test::FileSize;
using msk::test::ScratchFolder;
using std::chrono::milliseconds;

class NoProxyFactory final : public hftp::ServiceFactory {
 public:
  hftp::ProxyInfo GetDefaultProxyInfo() const override { return hftp::ProxyInfo(); }
};

const ui::ServiceFactoryMaker kMakeFactory = [] { return std::make_shared<NoProxyFactory>(); };

std::wstring Wide(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

std::wstring ServerUrl(const std::string& pathAndQuery) {
  return Wide(msk::test::TestServer::Url(pathAndQuery));
}

class RecordingView final : public ui::ProgressView {
 public:
  void ShowPercent(int percent) noexcept override {
    const std::lock_guard<std::mutex> lock(mutex_);
    shown_.push_back(percent);
  }
  std::vector<int> Shown() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return shown_;
  }
  void ShowRoute(const std::wstring& route) noexcept override {
    const std::lock_guard<std::mutex> lock(mutex_);
    routes_.push_back(route);
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

// The network as the procedure sees it, switchable while a download runs.
struct ScriptedNetwork {
  static inline std::atomic<bool> up{true};
  static inline std::atomic<int> checks{0};
  static bool Alive() { return ++checks, up.load(); }
  static bool Connected() { return true; }
};

class DownloadProcedure : public ::testing::Test {
 protected:
  void SetUp() override {
    ScriptedNetwork::up = true;
    // Wine keeps a thread after the process's first use of the network: let that happen first.
    const std::wstring warmUp = folder_.Path(L"warm-up.bin");
    ASSERT_TRUE(ui::RunDownload(ServerUrl("/bytes?size=1"), warmUp, nullptr, kMakeFactory));
    ::DeleteFileW(warmUp.c_str());
    ScriptedNetwork::checks = 0;
    threadsBefore_ = msk::test::ProcessThreadCount();
  }
  // Every run tears the engine down: the process is back to the threads it had.
  void TearDown() override {
    EXPECT_EQ(msk::test::WaitForProcessThreadCount(threadsBefore_), threadsBefore_);
  }

  bool Run(const std::wstring& url, const std::wstring& path,
           const ui::ServiceFactoryMaker& make = kMakeFactory) {
    return ui::RunDownload(url, path, &view_, make);
  }

  static constexpr Tools::SystemTools::NetworkProbe kProbe{&ScriptedNetwork::Alive,
                                                           &ScriptedNetwork::Connected};
  const Tools::SystemTools::ScopedNetworkProbeOverrideForTesting network_{kProbe};
  RecordingView view_;
  ScratchFolder folder_;
  std::size_t threadsBefore_ = 0;
};

milliseconds Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
}

TEST_F(DownloadProcedure, FetchesTheFileAndReportsProgressToTheEnd) {
  const std::wstring path = folder_.Path(L"payload.bin");
  ASSERT_TRUE(Run(ServerUrl("/bytes?size=3000000"), path));
  const auto bytes = FileBytes(path);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(bytes->size(), 3000000u);
  EXPECT_EQ(msk::test::FirstMismatch(*bytes, 0), bytes->size());
  const std::vector<int> shown = view_.Shown();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.back(), 100);
  // The network was asked before the first wait.
  EXPECT_GE(ScriptedNetwork::checks.load(), 1);
}

TEST_F(DownloadProcedure, ALostNetworkEndsTheWaitAtTheNextCheckAndRemovesThePartialFile) {
  const std::wstring path = folder_.Path(L"payload.bin");
  // 40 s of body at this rate: only the network check can end it in time.
  auto download = std::async(
      std::launch::async, [&] { return Run(ServerUrl("/bytes?size=2000000&rate=50000"), path); });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (FileSize(path).value_or(0) == 0 && std::chrono::steady_clock::now() < deadline) {
    ::Sleep(10);
  }
  ASSERT_GT(FileSize(path).value_or(0), 0u) << "no byte arrived";
  ScriptedNetwork::up = false;
  const auto lost = std::chrono::steady_clock::now();
  ASSERT_EQ(download.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  const milliseconds noticed = Since(lost);
  EXPECT_FALSE(download.get());
  EXPECT_LT(noticed, milliseconds(3000));
  EXPECT_FALSE(FileExists(path));
  EXPECT_EQ(folder_.Entries(), std::vector<std::wstring>{});
}

TEST_F(DownloadProcedure, NoNetworkAtTheStartFailsWithoutWaiting) {
  ScriptedNetwork::up = false;
  const std::wstring path = folder_.Path(L"payload.bin");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Run(ServerUrl("/bytes?size=1000&delay=5"), path));
  EXPECT_LT(Since(start), milliseconds(1500));
  EXPECT_FALSE(FileExists(path));
}

TEST_F(DownloadProcedure, ATargetThatCannotBeCreatedFailsPromptly) {
  ASSERT_TRUE(::CreateDirectoryW(folder_.Path(L"a-folder").c_str(), nullptr));
  for (const std::wstring name : {L"missing\\payload.bin", L"a-folder"}) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(Run(ServerUrl("/bytes?size=100000"), folder_.Path(name)));
    // Well before the first connectivity check would have ended the wait.
    EXPECT_LT(Since(start), milliseconds(1500));
  }
  EXPECT_EQ(folder_.Entries(), std::vector<std::wstring>{L"a-folder"});
}

TEST_F(DownloadProcedure, ServerErrorsAndABrokenBodyFailWithoutAFile) {
  for (const std::string route :
       {"/status/404", "/status/503", "/bytes?size=1000000&drop_after=300000",
        "/bytes?size=1000000&drop_after=300000&drop=reset"}) {
    const std::wstring path = folder_.Path(L"payload.bin");
    EXPECT_FALSE(Run(ServerUrl(route), path)) << route;
    EXPECT_FALSE(FileExists(path)) << route;
  }
  // A closed port: nothing to connect to.
  const std::string refused =
      "http://127.0.0.1:" + std::to_string(msk::test::TestServer::ClosedPort()) + "/bytes?size=10";
  EXPECT_FALSE(Run(Wide(refused), folder_.Path(L"payload.bin")));
  EXPECT_EQ(folder_.Entries(), std::vector<std::wstring>{});
}

TEST_F(DownloadProcedure, EmptyArgumentsAndFailingFactoriesStartNothing) {
  int made = 0;
  const ui::ServiceFactoryMaker counting = [&made] {
    ++made;
    return std::make_shared<NoProxyFactory>();
  };
  EXPECT_FALSE(Run(L"", folder_.Path(L"payload.bin"), counting));
  EXPECT_FALSE(Run(ServerUrl("/bytes?size=10"), L"", counting));
  EXPECT_EQ(made, 0);

  const ui::ServiceFactoryMaker none = [] { return std::shared_ptr<hftp::ServiceFactory>(); };
  const ui::ServiceFactoryMaker throwing = []() -> std::shared_ptr<hftp::ServiceFactory> {
    throw std::runtime_error("no factory");
  };
  EXPECT_FALSE(Run(ServerUrl("/bytes?size=10"), folder_.Path(L"payload.bin"), none));
  EXPECT_FALSE(Run(ServerUrl("/bytes?size=10"), folder_.Path(L"payload.bin"), throwing));
  EXPECT_FALSE(Run(ServerUrl("/bytes?size=10"), folder_.Path(L"payload.bin"), nullptr));
  EXPECT_EQ(folder_.Entries(), std::vector<std::wstring>{});
}

TEST_F(DownloadProcedure, TheEndOfTheTransferEndsTheWaitWithoutWaitingForTheNextCheck) {
  // The body takes about 0.5 s: with a blind two-second sleep the run would last two seconds.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(Run(ServerUrl("/bytes?size=100000&rate=200000"), folder_.Path(L"payload.bin")));
  EXPECT_LT(Since(start), milliseconds(1800));
  EXPECT_EQ(ScriptedNetwork::checks.load(), 1);
}

TEST_F(DownloadProcedure, AJobStartsOverWhenTheServerCannotContinueTheFile) {
  // Every request without a range is dropped after a third of the body; a range is answered as if
  // the resource had changed: to another size (a 206 that would splice two files into an "OK"),
  // or to the size the file already has (a 416 on the last allowed attempt). Either way the job
  // starts over without using up its retry, and that attempt is dropped again.
  for (const std::string rangedSize : {"2000000", "1000000"}) {
    ui::DownloadRequest request;
    request.url = ServerUrl("/bytes?size=3000000&drop_after=1000000&drop_unranged=1&ranged_size=" +
                            rangedSize);
    request.path = folder_.Path(L"payload.bin");
    request.retries = 1;
    const ui::CancelSignal cancel;
    const ui::DownloadOutcome outcome = ui::RunDownloadJob(request, &view_, kMakeFactory, cancel);
    EXPECT_EQ(outcome.result, ui::DownloadResult::ConnectionLost) << rangedSize;
    EXPECT_EQ(folder_.Entries(), std::vector<std::wstring>{}) << rangedSize;
  }
}

// The script's proxy is the whole route: the view is told it, and a proxy that cannot be connected
// to is named in the outcome, with no file left.
TEST_F(DownloadProcedure, AJobGoesThroughTheScriptsProxyAndNamesOneThatCannotBeReached) {
  const auto proxy = [](const std::string& address) {
    hftp::ProxyInfo info;
    info.host = "127.0.0.1";
    info.address = address;
    return info;
  };
  const ui::CancelSignal cancel;
  ui::DownloadRequest request;
  request.url = L"http://payload.test/bytes?size=1000";
  request.path = folder_.Path(L"payload.bin");
  request.options.proxy = proxy(msk::test::TestServer::HostAndPort());
  EXPECT_EQ(ui::RunDownloadJob(request, &view_, kMakeFactory, cancel).result,
            ui::DownloadResult::Completed);
  EXPECT_EQ(FileSize(request.path), 1000u);
  EXPECT_EQ(view_.Routes(), std::vector<std::wstring>{Wide(msk::test::TestServer::HostAndPort())});
  ::DeleteFileW(request.path.c_str());

  const std::string dead = "127.0.0.1:" + std::to_string(msk::test::TestServer::ClosedPort());
  request.options.proxy = proxy(dead);
  const ui::DownloadOutcome outcome = ui::RunDownloadJob(request, &view_, kMakeFactory, cancel);
  EXPECT_EQ(outcome.result, ui::DownloadResult::ProxyUnreachable);
  EXPECT_EQ(outcome.detail.rfind(dead + ": ", 0), 0u) << outcome.detail;
  EXPECT_EQ(folder_.Entries(), std::vector<std::wstring>{});
}

}  // namespace
