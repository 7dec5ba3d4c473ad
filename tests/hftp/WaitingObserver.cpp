#include "WaitingObserver.h"

namespace hftp::test {

bool WaitingObserver::OnDataChunk(const IDataAccessor& data, const IDownloadStatus& status) {
  bool result = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    result = RecordingObserver::OnDataChunk(data, status);
    threads_.push_back(std::this_thread::get_id());
    if (status.GetStatus() == StatusData) {
      bytes_ += data.GetSize();
    } else {
      final_ = true;
    }
    changed_.notify_all();
  }
  if (status.GetStatus() != StatusData && onFinal) onFinal(status.GetStatus());
  return result;
}

bool WaitingObserver::WaitForFinal(std::chrono::seconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, timeout, [this] { return final_; });
}

bool WaitingObserver::WaitForBytes(std::size_t count, std::chrono::seconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return bytes_ >= count; });
}

std::vector<Notification> WaitingObserver::Snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return All();
}

std::vector<std::thread::id> WaitingObserver::Threads() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return threads_;
}

}  // namespace hftp::test
