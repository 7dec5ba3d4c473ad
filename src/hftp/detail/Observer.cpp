#include "hftp/detail/Observer.h"

#include <utility>

#include "hftp/Status.h"

namespace hftp::detail {

Observer::Observer(IServerConnection::ResultCallback onResult, long requestId)
    : onResult_(std::move(onResult)), requestId_(requestId) {}

void Observer::Own(std::unique_ptr<IService> service) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!finished_) {
    service_ = std::move(service);
    return;
  }
  lock.unlock();
  service.reset();  // the result is out already: the cycle ends here
}

bool Observer::OnDataChunk(const IDataAccessor& data, const IDownloadStatus& status) {
  MSK_CHECK_THREAD(poolThread_);
  const int code = status.GetStatus();
  if (code == StatusData) {
    if (data.GetData() != nullptr) buffer_.append(data.GetData(), data.GetSize());
    return true;
  }

  std::unique_ptr<IService> service;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (finished_) return false;  // a second final one (an abort at destruction): told already
    finished_ = true;
    service = std::move(service_);
  }
  // Released before the caller hears of the result, so that a caller who tears the engine down
  // as soon as its last result arrives finds the release already on its way.
  service.reset();

  const bool completed = code == StatusCompleted;
  if (onResult_) onResult_(requestId_, code, completed ? buffer_ : std::string());
  return completed;
}

}  // namespace hftp::detail
