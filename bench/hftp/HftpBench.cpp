// Prints what the download engine achieves on this machine over loopback:
//   - MB/s of one download through a loner service, through a pooled service, and of eight pooled
//     downloads at once (their total), each beside the curl command-line tool doing the same
//     (one download, and eight with --parallel), with the engine's ratio to curl;
//   - how long a job waits for the shared worker while a pooled download runs at full speed (the
//     pool's ticks share that worker with every other pooled call);
//   - fifty pooled downloads at once: their total MB/s and the process's peak resident memory
//     beyond that of an idle engine;
//   - the processor time the idle engine (manager ticking every 10 ms, no transfer) spends per
//     second, beyond what the process spends without it.
// Every download figure but the fifty is measured three times; the median and the best are
// printed, since other work on the machine moves single rounds a lot. The figures end with table
// rows for the README's benchmark section (machine from MSK_BENCH_MACHINE, today's date).
//
// Usage: hftp_bench <url of the file> <its size in bytes> [curl command]
// scripts/bench-hftp.sh builds it, serves a 256 MiB file on loopback and runs it.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "aotl/ActiveObject.h"
#include "hftp/EngineTeardown.h"
#include "hftp/ServiceFactory.h"
#include "hftp/Status.h"
#include "hftp/detail/EngineThreads.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/resource.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 3;
constexpr int kParallel = 8;
constexpr int kMany = 50;

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
  bool Finished() {
    std::lock_guard<std::mutex> lock(mutex_);
    return final_ >= 0;
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

// The figures again as rows of the README's benchmark table.
std::vector<std::string> readmeRows;

void Row(const std::string& figure, const std::string& value) {
  static const std::string machine = [] {
    const char* named = std::getenv("MSK_BENCH_MACHINE");
    return std::string(named != nullptr && *named != '\0' ? named : "this machine");
  }();
  static const std::string date = [] {
    char text[16] = {};
    const std::time_t now = std::time(nullptr);
    std::strftime(text, sizeof text, "%Y-%m-%d", std::gmtime(&now));
    return std::string(text);
  }();
  readmeRows.push_back("| " + figure + " | " + value + " | " + machine + " | " + date + " |");
}

__attribute__((format(printf, 1, 2))) std::string Format(const char* format, ...) {
  char text[96];
  std::va_list values;
  va_start(values, format);
  std::vsnprintf(text, sizeof text, format, values);
  va_end(values);
  return text;
}

void Print(const char* label, Rate rate, Rate curl) {
  std::printf("%-36s median %8.1f MB/s  best %8.1f MB/s  ratio to curl %5.2f\n", label, rate.median,
              rate.best, rate.median / curl.median);
  Row(std::string("hftp_bench: ") + label,
      Format("%.0f MB/s, %.2f x curl", rate.median, rate.median / curl.median));
}

void PrintCurl(const char* label, Rate rate) {
  std::printf("%-36s median %8.1f MB/s  best %8.1f MB/s\n", label, rate.median, rate.best);
  Row(std::string("hftp_bench: ") + label, Format("%.0f MB/s", rate.median));
}

using Services = std::vector<std::shared_ptr<hftp::IService>>;
using Observers = std::vector<std::shared_ptr<CountingObserver>>;

void Start(bool pooled, int count, const std::wstring& url, Observers& observers,
           Services& services) {
  NoProxyFactory factory;
  for (int i = 0; i < count; ++i) {
    observers.push_back(std::make_shared<CountingObserver>());
    services.push_back(
        pooled ? factory.CreatePooledService(url, observers.back(), nullptr, L"", L"", 0, "")
               : factory.CreateLonerService(url, observers.back(), nullptr, L"", L"", 0, {}, ""));
  }
}

bool AllComplete(const Observers& observers, std::uint64_t size) {
  bool ok = true;
  for (auto& observer : observers) {
    ok = observer->WaitForFinal() == hftp::StatusCompleted && observer->Bytes() == size && ok;
  }
  return ok;
}

bool Download(bool pooled, int count, const std::wstring& url, std::uint64_t size) {
  Observers observers;
  Services services;
  Start(pooled, count, url, observers, services);
  const bool ok = AllComplete(observers, size);
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

// A line of /proc/self/status ("VmRSS", "VmHWM") in MiB; -1 where there is none.
double StatusMiB(const std::string& key) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.compare(0, key.size() + 1, key + ":") != 0) continue;
    std::istringstream value(line.substr(key.size() + 1));
    double kib = 0;
    value >> kib;
    return kib / 1024.0;
  }
  return -1;
}

// Starts the peak (VmHWM) afresh from the current resident size; false where Linux cannot.
bool ResetPeakResident() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}

// How long a synchronous call waits for the shared worker while one pooled download of `url`
// runs at full speed: median and worst in milliseconds.
void MeasureWorkerWait(const std::wstring& url, std::uint64_t size) {
  struct Probe {};
  Observers observers;
  Services services;
  Start(true, 1, url, observers, services);
  std::vector<double> waits;
  {
    AOTL::detail::ActiveObject<Probe, hftp::detail::SharedPolicy> probe;
    while (!observers.front()->Finished()) {
      const Clock::time_point start = Clock::now();
      probe.Invoke([](Probe&) {});
      waits.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
  }
  const bool ok = AllComplete(observers, size);
  services.clear();
  hftp::TearDownEngine();
  if (!ok || waits.empty()) {
    std::fprintf(stderr, "the download beside the worker probe failed\n");
    std::exit(1);
  }
  std::sort(waits.begin(), waits.end());
  const double median = waits[waits.size() / 2];
  std::printf("%-36s median %8.2f ms    worst %8.2f ms   (%zu calls)\n",
              "shared worker: wait of a job", median, waits.back(), waits.size());
  Row("hftp_bench: a job's wait for the shared worker during a pooled download",
      Format("median %.2f ms, worst %.1f ms", median, waits.back()));
}

void MeasureMany(const std::wstring& url, std::uint64_t size) {
  // An idle engine first: the manager, its pool and the shared worker, with nothing to do.
  NoProxyFactory factory;
  factory.CreatePooledService(url, std::make_shared<CountingObserver>(), nullptr, L"", L"", 0, "")
      .reset();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const double idle = StatusMiB("VmRSS");
  const bool peakKnown = ResetPeakResident();
  Observers observers;
  Services services;
  const Clock::time_point start = Clock::now();
  Start(true, kMany, url, observers, services);
  const bool ok = AllComplete(observers, size);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const double peak = StatusMiB("VmHWM");
  services.clear();
  hftp::TearDownEngine();
  if (!ok) {
    std::fprintf(stderr, "one of the %d pooled downloads failed\n", kMany);
    std::exit(1);
  }
  const double rate = static_cast<double>(size) * kMany / 1e6 / seconds;
  std::printf("%-36s %8.1f MB/s\n", "50 pooled services at once (total)", rate);
  Row("hftp_bench: 50 pooled services at once (total)", Format("%.0f MB/s", rate));
  if (!peakKnown || idle < 0 || peak < 0) {
    std::printf("50 pooled: peak resident memory not measurable here\n");
    return;
  }
  std::printf("50 pooled: peak resident %.1f MiB, idle engine %.1f MiB: %.1f MiB more\n", peak,
              idle, peak - idle);
  Row("hftp_bench: 50 pooled, peak resident memory beyond an idle engine",
      Format("%.1f MiB", peak - idle));
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
  MeasureWorkerWait(wideUrl, size);
  MeasureMany(wideUrl, size);

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
  Row("hftp_bench: idle engine, CPU time per second", Format("%.2f ms", ticking - quiet));

  std::printf("\nREADME rows:\n");
  for (const std::string& row : readmeRows) std::printf("%s\n", row.c_str());
  return 0;
}
