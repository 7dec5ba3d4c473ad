#pragma once
// A RecordingObserver for services that notify from engine threads: every notification is recorded
// under a lock, and the test can wait for the final one or for a number of body bytes. `onFinal`
// runs (outside the lock) on the notifying thread, right after a final notification is recorded.
//
// Read the recording (All, Body, Final...) only once the service is released, which orders every
// notification before the read; while it runs, use the waits and Snapshot.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "RecordingObserver.h"

namespace hftp::test {

class WaitingObserver : public RecordingObserver {
 public:
  bool OnDataChunk(const IDataAccessor& data, const IDownloadStatus& status) override;

  bool WaitForFinal(std::chrono::seconds timeout = std::chrono::seconds(30));
  bool WaitForBytes(std::size_t count, std::chrono::seconds timeout = std::chrono::seconds(30));
  std::vector<Notification> Snapshot() const;
  // The threads the notifications came on, in order.
  std::vector<std::thread::id> Threads() const;

  std::function<void(int status)> onFinal;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t bytes_ = 0;
  bool final_ = false;
  std::vector<std::thread::id> threads_;
};

}  // namespace hftp::test
