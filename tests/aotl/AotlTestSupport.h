#pragma once
// Helpers of the active-object tests: a worker policy that counts running worker threads, a gate to
// hold a worker inside a job, and a small hosted class.

#include "aotl/ActiveObject.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace aotl_test {

using namespace std::chrono_literals;

// Counts the worker threads of one family that are running; each test uses its own Tag so that
// nothing carries over between tests.
template <typename Tag>
struct CountingPolicy {
  static constexpr std::chrono::milliseconds kIdleWait{1000};

  static void ThreadStarted() noexcept {
    std::lock_guard<std::mutex> lock(mutex);
    ++running;
    ++started;
  }
  static void ThreadEnded() noexcept {
    std::lock_guard<std::mutex> lock(mutex);
    --running;
    changed.notify_all();
  }
  static int Running() {
    std::lock_guard<std::mutex> lock(mutex);
    return running;
  }
  static int Started() {
    std::lock_guard<std::mutex> lock(mutex);
    return started;
  }
  // Waits (up to 10 s) until exactly `count` threads of the family run; returns whether they do.
  static bool WaitUntilRunning(int count) {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, 10s, [count] { return running == count; });
  }

  inline static std::mutex mutex;
  inline static std::condition_variable changed;
  inline static int running = 0;
  inline static int started = 0;
};

// A one-shot gate: Wait blocks until Open (bounded, so that a broken test fails instead of
// hanging).
class Gate {
 public:
  void Open() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  bool Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, 10s, [this] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
};

// Records on which threads it was built, called and destroyed.
class Probe {
 public:
  Probe() : Probe(nullptr) {}
  // `destroyedOn` receives the id of the thread that runs the destructor.
  explicit Probe(std::thread::id* destroyedOn) : destroyedOn_(destroyedOn) {}
  // Takes its argument by reference and writes through it, to show that the arguments reach the
  // constructor by reference.
  Probe(int& seen, std::thread::id& builtOn) : Probe(nullptr) {
    ++seen;
    builtOn = std::this_thread::get_id();
  }
  explicit Probe(const std::string& failWith) : Probe(nullptr) {
    if (failWith == "non-std") throw 42;
    throw std::runtime_error(failWith);
  }
  ~Probe() {
    if (destroyedOn_ != nullptr) *destroyedOn_ = std::this_thread::get_id();
  }

  void Add(int amount) { total_ += amount; }
  int Total() const { return total_; }
  void Record(int value) { seen_.push_back(value); }
  std::vector<int> Seen() const { return seen_; }
  std::thread::id ThreadId() const { return std::this_thread::get_id(); }
  void* Pointer() { return this; }
  void Nothing() {}
  void Fail(const std::string& message) { throw std::runtime_error(message); }
  void FailWithInt() { throw 42; }

 private:
  std::thread::id* destroyedOn_;
  int total_ = 0;
  std::vector<int> seen_;
};

}  // namespace aotl_test
