#pragma once
// The observer behind one ServerConnection request: collects the response body and hands it, with
// the final status, to the caller's callback; it owns the pooled service that feeds it.
//
//   auto observer = std::make_shared<Observer>(onResult, requestId);
//   observer->Own(std::make_unique<PooledService>(url, body, observer, ...));
//
// The service holds the observer and the observer owns the service. The first final notification
// breaks that cycle: the observer releases the service and then calls `onResult` once, with
// StatusCompleted and the whole body, or with the final status and an empty text. The release
// happens on the pool thread, inside the notification; PooledService completes it after the
// notification has returned. A final notification may come before Own, when the transfer ends
// before the creator has handed the service over; Own then releases it at once.
//
// An empty `onResult` is allowed: the response is collected and dropped.
//
// Threading: OnDataChunk runs on the pool thread (checked: tools/ThreadChecker.h); Own on the
// creating thread. They meet under a small lock of the observer's own.

#include <memory>
#include <mutex>
#include <string>

#include "hftp/IObserver.h"
#include "hftp/IServerConnection.h"
#include "hftp/IService.h"
#include "tools/ThreadChecker.h"

namespace hftp::detail {

class Observer final : public IObserver {
 public:
  Observer(IServerConnection::ResultCallback onResult, long requestId);
  Observer(const Observer&) = delete;
  Observer& operator=(const Observer&) = delete;
  ~Observer() override = default;

  void Own(std::unique_ptr<IService> service);

  bool OnDataChunk(const IDataAccessor& data, const IDownloadStatus& status) override;

 private:
  const IServerConnection::ResultCallback onResult_;
  const long requestId_;
  std::string buffer_;  // pool thread only
  MSK_THREAD_CHECKER(poolThread_);

  std::mutex mutex_;  // guards the two below
  std::unique_ptr<IService> service_;
  bool finished_ = false;  // the final notification has come
};

}  // namespace hftp::detail
