// Prints what the download engine achieves on this machine over loopback:
//   - MB/s of one download through a loner service, through a pooled service, and of eight pooled
//     downloads at once (their total), each beside the curl command-line tool doing the same
//     (one download, and eight with --parallel), with the engine's ratio to curl;
//   - the processor time the idle engine (manager ticking every 10 ms, no transfer) spends per
//     second, beyond what the process spends without it.
// Every download figure is measured three times; the median and the best are printed, since other
// work on the machine moves single rounds a lot.
//
// Usage: hftp_bench <url of the file> <its size in bytes> [curl command]
// scripts/bench-hftp.sh builds it, serves a 256 MiB file on loopback and runs it.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "hftp/EngineTeardown.h"
#include "hftp/ServiceFactory.h"
#include "hftp/Status.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/resource.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 3;
constexpr int kParallel = 8;

class NoProxyFactory final : public hftp::ServiceFactory {
 public:
  hftp::ProxyInfo GetDefaultProxyInfo() const override { return hftp::ProxyInfo(); }
};

// Counts the bytes and waits for the final status.
class CountingObserver final : public hftp::IObserver {
 public:
  bool OnDataChunk(const hftp::IDataAccessor& data, const hftp::IDownloadStatus& status) override {
    if (status.GetStatus() == hftp::StatusData) {
      bytes_.fetch_add(data.GetSize(), std::memory_order_relaxed);
      return true;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    final_ = status.GetStatus();
    done_.notify_all();
    return true;
  }
  int WaitForFinal() {
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return final_ >= 0; });
    return final_;
  }
  std::uint64_t Bytes() const { return bytes_.load(); }

 private:
  std::atomic<std::uint64_t> bytes_{0};
  std::mutex mutex_;
  std::condition_variable done_;
  int final_ = -1;
};

double SecondsOf(const std::function<bool()>& run) {
  const Clock::time_point start = Clock::now();
  if (!run()) {
    std::fprintf(stderr, "a download failed\n");
    std::exit(1);
  }
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Median and best of kRounds, in MB/s for `bytes` per round.
struct Rate {
  double median;
  double best;
};

Rate Measure(std::uint64_t bytes, const std::function<bool()>& run) {
  std::vector<double> rates;
  for (int i = 0; i < kRounds; ++i) {
    rates.push_back(static_cast<double>(bytes) / 1e6 / SecondsOf(run));
  }
  std::sort(rates.begin(), rates.end());
  return {rates[rates.size() / 2], rates.back()};
}

void Print(const char* label, Rate rate, Rate curl) {
  std::printf("%-36s median %8.1f MB/s  best %8.1f MB/s  ratio to curl %5.2f\n", label, rate.median,
              rate.best, rate.median / curl.median);
}

void PrintCurl(const char* label, Rate rate) {
  std::printf("%-36s median %8.1f MB/s  best %8.1f MB/s\n", label, rate.median, rate.best);
}

bool Download(bool pooled, int count, const std::wstring& url, std::uint64_t size) {
  NoProxyFactory factory;
  std::vector<std::shared_ptr<CountingObserver>> observers;
  std::vector<std::shared_ptr<hftp::IService>> services;
  for (int i = 0; i < count; ++i) {
    observers.push_back(std::make_shared<CountingObserver>());
    services.push_back(
        pooled ? factory.CreatePooledService(url, observers.back(), nullptr, L"", L"", 0, "")
               : factory.CreateLonerService(url, observers.back(), nullptr, L"", L"", 0, {}, ""));
  }
  bool ok = true;
  for (auto& observer : observers) {
    ok = observer->WaitForFinal() == hftp::StatusCompleted && observer->Bytes() == size && ok;
  }
  services.clear();
  hftp::TearDownEngine();  // as every download does
  return ok;
}

double ProcessCpuSeconds() {
#if defined(_WIN32)
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto ticks = [](FILETIME t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
#else
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](timeval t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
#endif
}

// Processor milliseconds per second of wall time spent by this process over `period`.
double CpuMsPerSecond(std::chrono::seconds period) {
  const double before = ProcessCpuSeconds();
  std::this_thread::sleep_for(period);
  return (ProcessCpuSeconds() - before) * 1000.0 / static_cast<double>(period.count());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <url> <size in bytes> [curl command]\n", argv[0]);
    return 2;
  }
  const std::string url = argv[1];
  const std::wstring wideUrl(url.begin(), url.end());
  const auto size = static_cast<std::uint64_t>(std::strtoull(argv[2], nullptr, 10));
  const std::string curl = argc > 3 ? argv[3] : "curl";

  std::printf("file: %s (%.1f MiB), %d rounds each\n", url.c_str(),
              static_cast<double>(size) / 1048576.0, kRounds);
  const std::string one = curl + " -s -f -o /dev/null '" + url + "'";
  std::string many = curl + " -s -f --parallel --parallel-max " + std::to_string(kParallel);
  for (int i = 0; i < kParallel; ++i) many += " -o /dev/null '" + url + "'";
  many += " 2>/dev/null";  // --parallel draws its progress meter even with -s

  const Rate curlOne = Measure(size, [&] { return std::system(one.c_str()) == 0; });
  const Rate curlMany = Measure(size * kParallel, [&] { return std::system(many.c_str()) == 0; });
  PrintCurl("curl, 1 download", curlOne);
  PrintCurl("curl --parallel, 8 downloads", curlMany);
  Print("loner service", Measure(size, [&] { return Download(false, 1, wideUrl, size); }), curlOne);
  Print("pooled service", Measure(size, [&] { return Download(true, 1, wideUrl, size); }), curlOne);
  Print("8 pooled services at once (total)",
        Measure(size * kParallel, [&] { return Download(true, kParallel, wideUrl, size); }),
        curlMany);

  const auto period = std::chrono::seconds(5);
  const double quiet = CpuMsPerSecond(period);
  NoProxyFactory factory;
  auto idle = std::make_shared<CountingObserver>();
  auto service = factory.CreatePooledService(wideUrl, idle, nullptr, L"", L"", 0, "");
  service.reset();  // released at once: the engine stays up with nothing to do
  const double ticking = CpuMsPerSecond(period);
  hftp::TearDownEngine();
  std::printf("idle engine: %.2f ms CPU per second (process without engine: %.2f ms/s)\n",
              ticking - quiet, quiet);
  return 0;
}
