#pragma once
// An observer that holds the engine's shared worker inside its first notification until released,
// as libcurl holds it while a TLS handshake waits on the network: for the tests and the benchmark
// of what still answers meanwhile (a cancel, the time limits, other transfers).
//
//   auto hold = std::make_shared<msk::test::WorkerHold>();
//   auto holder = factory.CreatePooledService(url, hold, options);
//   ASSERT_TRUE(hold->AwaitHeld());
//   ... the worker is held; every pooled transfer waits ...
//   hold->Release();
//
// Thread-safety: OnResponse runs on the engine's worker; AwaitHeld and Release from any thread.

#include "hftp/IObserver.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace msk::test {

class WorkerHold final : public hftp::IObserver {
 public:
  bool OnDataChunk(const hftp::IDataAccessor&, const hftp::IDownloadStatus&) override {
    return true;
  }
  void OnResponse(const hftp::ResponseInfo&) override {
    std::unique_lock<std::mutex> lock(mutex_);
    held_ = true;
    changed_.notify_all();
    // Let go in the end even if nobody releases it, so that a failing test still ends.
    changed_.wait_for(lock, std::chrono::seconds(60), [this] { return released_; });
  }
  // Whether the worker was held within 10 s.
  bool AwaitHeld() {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [this] { return held_; });
  }
  void Release() {
    const std::lock_guard<std::mutex> lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool held_ = false;
  bool released_ = false;
};

}  // namespace msk::test
