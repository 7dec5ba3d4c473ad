#pragma once
// A service whose transfer lives on the shared worker and is driven by the transfer pool together
// with every other pooled transfer.
//
//   auto service = std::make_shared<PooledService>(url, body, observer, proxy, user, password,
//                                                  stallTimeout, cookie);
//   ...                                // the pool's ticks drive it; the observer hears on the
//   worker service.reset();                   // takes it out of the pool, then destroys it
//
// The constructor takes the arguments of one of Service's constructors, builds the transfer on the
// shared worker and enters its handle into the pool (creating the services manager if needed); it
// returns once both are done. Wait returns at once.
//
// Releasing the service from another thread returns once the transfer is out of the pool and
// destroyed; it does not wait for the transfer to end (an unfinished one tells its observer
// StatusAborted). Releasing it on the shared worker, typically from inside one of its own
// notifications, is allowed as well: the destruction is then completed by a later job (see the
// destructor), and the observer may still hear the rest of the tick that is running (more body
// bytes, unless it refused them) before that job tells it StatusAborted.
//
// Threading: construction and destruction from any thread; TransferDone is the pool's, on the
// shared worker.

#include <curl/curl.h>

#include <memory>
#include <utility>

#include "hftp/IService.h"
#include "hftp/detail/EngineThreads.h"
#include "hftp/detail/IPooled.h"

namespace hftp::detail {

class PooledService final : public IPooled, public IService {
 public:
  template <typename... Args>
  explicit PooledService(Args&&... transferArgs)
      : transfer_(std::make_unique<PooledTransfer>(std::forward<Args>(transferArgs)...)) {
    EnterPool();
  }

  PooledService(const PooledService&) = delete;
  PooledService& operator=(const PooledService&) = delete;
  ~PooledService() override;

  // Posts the transfer's completion to the shared worker as a job of its own and returns.
  void TransferDone(CURLcode result) override;

 private:
  void EnterPool();
  void RetireOnWorker() noexcept;

  // A unique_ptr so that a release on the shared worker can hand the transfer to a later job.
  std::unique_ptr<PooledTransfer> transfer_;
  void* handle_ = nullptr;  // the transfer's easy handle, as the pool knows it
};

}  // namespace hftp::detail
