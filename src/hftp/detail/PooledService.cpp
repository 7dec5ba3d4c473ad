#include "hftp/detail/PooledService.h"

#include "hftp/detail/ServicesManager.h"

namespace hftp::detail {

void PooledService::EnterPool() {
  handle_ = transfer_->Invoke(&Service::GetHandle);
  ServicesManager::Instance().AddTransfer(this, handle_);
}

PooledService::~PooledService() {
  if (transfer_->IsWorkerThread()) {
    RetireOnWorker();
    return;
  }
  // Another thread: take the handle out of the pool, then destroy the transfer on the shared
  // worker; both wait for the worker, neither for the transfer.
  if (ServicesManager* manager = ServicesManager::Existing())
    manager->RemoveTransfer(this, handle_);
  transfer_.reset();
}

// Deferred destruction. A release on the shared worker is almost always an observer releasing its
// own service from inside one of its notifications: from OnComplete, or from the header or write
// handler while CurlPool::Tick is inside curl_multi_perform. In the second case nothing keeps the
// Service alive and libcurl still has its handle on the stack, so destroying it here would free
// what the running call is using. Hence, here:
//
// 1. The handle leaves the pool at once, directly: this is the pool's own thread, and the manager's
//    mutex must not be taken here (another thread may hold it while it waits for this worker). The
//    pool forgets the item immediately, so no TransferDone reaches this dying object; it takes the
//    handle out of the multi handle now, or, inside curl_multi_perform, right after that call has
//    returned (libcurl forbids it during the call).
// 2. The transfer's active object is handed to a job posted to this same worker and nothing else is
//    destroyed. Jobs run one at a time, so that job starts only after the current one (the
//    notification, and the tick around it) has returned. It holds the only reference to the active
//    object, so the Service, and the observer it holds, live exactly until then; it destroys the
//    Service there, whose destructor tells the observer StatusAborted if the transfer had not
//    finished, as after any release.
//
// The release itself therefore only posts, and returns without waiting for anything.
void PooledService::RetireOnWorker() noexcept {
  if (ServicesManager* manager = ServicesManager::Existing())
    manager->RemoveTransfer(this, handle_);
  std::shared_ptr<PooledTransfer> retiring(std::move(transfer_));
  retiring->Post([](Service&, std::shared_ptr<PooledTransfer>& self) { self.reset(); }, retiring);
}

void PooledService::TransferDone(CURLcode result) {
  transfer_->Post(&Service::OnComplete, result);
}

}  // namespace hftp::detail
