// Prints what active-object calls cost on this machine:
//   - the round trip of a synchronous call (Invoke) from another thread, on an own worker and on
//     the shared worker, and the same call made inline on the worker;
//   - the throughput of asynchronous calls (Post): how fast one thread, and four at once, queue
//     calls to one worker, counted until the worker has run them all.
// Every figure is measured several times; the median and the best round are printed, since other
// work on the machine easily moves a single round by a factor of two.
//
// Usage: aotl_bench [scale]   (scale multiplies the iteration counts; default 1)

#include "aotl/ActiveObject.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 7;

class Counter {
 public:
  void Add(long amount) { total_ += amount; }
  long Total() const { return total_; }

 private:
  long total_ = 0;
};

struct BenchFamily;
using OwnCounter = AOTL::detail::ActiveObject<
    Counter, AOTL::OwnThread<BenchFamily, std::exception, AOTL::DefaultWorkerThreadPolicy>>;
using SharedCounter = AOTL::detail::ActiveObject<
    Counter, AOTL::SharedThread<BenchFamily, std::exception, AOTL::DefaultWorkerThreadPolicy>>;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs `round` kRounds times and prints the median and the best of what it returns, in `unitName`.
// `higherIsBetter` picks the best end.
void Report(const char* label, const char* unitName, bool higherIsBetter,
            const std::function<double()>& round) {
  std::vector<double> values;
  for (int i = 0; i < kRounds; ++i) values.push_back(round());
  std::sort(values.begin(), values.end());
  const double best = higherIsBetter ? values.back() : values.front();
  std::printf("%-40s median %9.3f %s, best %9.3f %s\n", label, values[values.size() / 2], unitName,
              best, unitName);
}

template <typename Active>
double InvokeRoundTripUs(Active& active, long calls) {
  active.Invoke(&Counter::Total);  // the worker is awake
  const auto start = Clock::now();
  long sink = 0;
  for (long i = 0; i < calls; ++i) sink += active.Invoke(&Counter::Total);
  if (sink < 0) std::abort();
  return SecondsSince(start) * 1e6 / static_cast<double>(calls);
}

double InlineInvokeUs(OwnCounter& active, long calls) {
  double seconds = 0;
  active.Post([&](Counter&) {
    const auto start = Clock::now();
    for (long i = 0; i < calls; ++i) active.Invoke(&Counter::Add, 1L);
    seconds = SecondsSince(start);
  });
  active.Invoke(&Counter::Total);  // waits for the job above
  return seconds * 1e6 / static_cast<double>(calls);
}

// Millions of posts per second, from the first post until the worker has run the last one.
double PostMillionsPerSecond(OwnCounter& active, int producers, long postsPerProducer) {
  const long before = active.Invoke(&Counter::Total);
  const auto start = Clock::now();
  std::vector<std::thread> threads;
  for (int p = 0; p < producers; ++p) {
    threads.emplace_back([&] {
      for (long i = 0; i < postsPerProducer; ++i) active.Post(&Counter::Add, 1L);
    });
  }
  for (auto& thread : threads) thread.join();
  const long ran = active.Invoke(&Counter::Total) - before;  // FIFO: every post has run now
  const double seconds = SecondsSince(start);
  const long posts = postsPerProducer * producers;
  if (ran != posts) std::abort();
  return static_cast<double>(posts) / seconds / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  const long scale = argc > 1 ? std::max(1L, std::atol(argv[1])) : 1L;
  std::printf("hardware threads: %u, %d rounds each\n", std::thread::hardware_concurrency(),
              kRounds);

  auto own = OwnCounter::Create();
  auto shared = SharedCounter::Create();
  Report("Invoke round trip, own worker", "us/call", false,
         [&] { return InvokeRoundTripUs(*own, 10000 * scale); });
  Report("Invoke round trip, shared worker", "us/call", false,
         [&] { return InvokeRoundTripUs(*shared, 10000 * scale); });
  Report("Invoke inline on the worker", "us/call", false,
         [&] { return InlineInvokeUs(*own, 200000 * scale); });
  Report("Post throughput, 1 producer", "M/s", true,
         [&] { return PostMillionsPerSecond(*own, 1, 200000 * scale); });
  Report("Post throughput, 4 producers", "M/s", true,
         [&] { return PostMillionsPerSecond(*own, 4, 50000 * scale); });

  shared.reset();
  SharedCounter::DestroySharedWorker();
  return 0;
}
