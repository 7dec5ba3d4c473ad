// How soon a download answers a cancel and its time limits while libcurl holds the engine's shared
// worker (as a TLS handshake does while it fetches a certificate), against the loopback test
// server: per round, a job streams a slow body, another transfer's observer holds the worker, and
// then
//   - a cancel is raised: the time from the raise to RunJob's return;
//   - /TIMEOUT=2: the answer's time after the limit;
//   - /CONNECTTIMEOUT=1 on an https port whose TLS handshake never ends (a listener that takes the
//     connection but never reads it): likewise. The connect limit is the job's to keep only before
//     the connection stands; a transfer that has sent its request waits for the other limits.
// Prints each round, the median and the worst, then rows for the README's benchmark table.
//
//   limits_bench http://127.0.0.1:PORT [rounds]          (scripts/bench-limits.sh starts a server)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "download/DeferredRelease.h"
#include "download/EngineSession.h"
#include "download/Job.h"
#include "hftp/IObserver.h"
#include "hftp/ServiceFactory.h"
#include "support/NoProxyFactory.h"
#include "support/WorkerHold.h"
#include "tools/UniqueHandle.h"

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

using msk::test::WorkerHold;

// A loopback port whose connections the kernel completes but no one ever reads: a TLS handshake
// with it waits as long as the client lets it.
class SilentListener {
 public:
  SilentListener() : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    auto* const generic = reinterpret_cast<sockaddr*>(&address);
    if (!socket_ || ::bind(socket_.Get(), generic, size) != 0 || ::listen(socket_.Get(), 16) != 0 ||
        ::getsockname(socket_.Get(), generic, &size) != 0) {
      std::fprintf(stderr, "limits_bench: no loopback listener\n");
      std::exit(1);
    }
    port_ = ntohs(address.sin_port);
  }
  std::string Url() const { return "https://127.0.0.1:" + std::to_string(port_) + "/"; }

 private:
  Tools::UniqueHandle<Tools::HandleTraits<int, &::close, -1>> socket_;
  unsigned short port_ = 0;
};

std::wstring Wide(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

enum class By { Cancel, WholeLimit, ConnectLimit };

// One round: the answer's latency in ms (after the raise, or after the limit).
double Round(const std::string& server, By by, const std::wstring& path) {
  msk::test::NoProxyFactory factory;
  download::CancelSignal cancel;
  download::DownloadRequest request;
  request.path = path;
  const SilentListener silent;
  request.url =
      Wide(by == By::ConnectLimit ? silent.Url() : server + "/bytes?size=20000000&rate=100000");
  if (by == By::WholeLimit) request.options.totalTimeout = std::chrono::seconds(2);
  if (by == By::ConnectLimit) request.options.connectTimeout = std::chrono::seconds(1);
  const Clock::time_point start = Clock::now();
  auto job = std::async(std::launch::async,
                        [&] { return download::RunJob(request, factory, nullptr, cancel); });
  // Bytes flowing, or the handshake under way.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const auto hold = std::make_shared<WorkerHold>();
  auto holding = factory.CreatePooledService(Wide(server + "/bytes?size=10"), hold, {});
  hold->AwaitHeld();
  const Clock::time_point raised = Clock::now();
  if (by == By::Cancel) cancel.Raise();
  job.wait();
  const Clock::time_point answered = Clock::now();
  hold->Release();
  holding.reset();
  download::AwaitBackgroundReleases();
  switch (by) {
    case By::Cancel:
      return Ms(answered - raised).count();
    case By::WholeLimit:
      return Ms(answered - start).count() - 2000;
    case By::ConnectLimit:
      return Ms(answered - start).count() - 1000;
  }
  return 0;
}

std::string Today() {
  char text[16] = {};
  const std::time_t now = std::time(nullptr);
  std::strftime(text, sizeof text, "%Y-%m-%d", std::gmtime(&now));
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: limits_bench http://HOST:PORT [rounds]\n");
    return 2;
  }
  const std::string server = argv[1];
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const char* named = std::getenv("MSK_BENCH_MACHINE");
  const std::string machine = named != nullptr && *named != '\0' ? named : "this machine";
  const std::wstring path =
      (std::filesystem::temp_directory_path() / "msk-limits-bench.bin").wstring();
  const download::EngineSession engine;
  struct Figure {
    By by;
    const char* name;
  };
  const Figure figures[] = {
      {By::Cancel, "a cancel, raise to answer"},
      {By::WholeLimit, "/TIMEOUT=2, answer after the limit"},
      {By::ConnectLimit, "/CONNECTTIMEOUT=1, TLS handshake unanswered, answer after the limit"},
  };
  std::vector<std::string> rows;
  for (const Figure& figure : figures) {
    std::vector<double> latencies;
    std::printf("%s, worker held:", figure.name);
    for (int round = 0; round < rounds; ++round) {
      latencies.push_back(Round(server, figure.by, path));
      std::printf(" %.0f", latencies.back());
      std::fflush(stdout);
    }
    std::sort(latencies.begin(), latencies.end());
    const double median = latencies[latencies.size() / 2];
    std::printf(" ms; median %.0f ms, worst %.0f ms\n", median, latencies.back());
    char value[64];
    std::snprintf(value, sizeof value, "median %.0f ms, worst %.0f ms", median, latencies.back());
    rows.push_back(std::string("| limits_bench: ") + figure.name + ", worker held by libcurl (" +
                   std::to_string(rounds) + " rounds) | " + value + " | " + machine + " | " +
                   Today() + " |");
  }
  std::printf("\nREADME rows:\n");
  for (const std::string& row : rows) std::printf("%s\n", row.c_str());
  return 0;
}
