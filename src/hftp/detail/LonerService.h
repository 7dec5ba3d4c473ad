#pragma once
// A service whose transfer runs on a worker thread of its own, with libcurl's easy interface.
//
//   auto service = std::make_shared<LonerService>(url, observer, proxy, user, password,
//                                                 stallTimeout, headerLines, cookie);
//   service->Wait();   // returns once the transfer has finished
//   service.reset();   // waits for the transfer to end, then destroys it and the worker
//
// The constructor takes the arguments of one of Service's constructors, builds the transfer on the
// new worker and queues Service::Run there; it returns without waiting for the transfer. The
// observer is called on that worker. Releasing the service while the transfer runs blocks the
// releasing thread until the transfer has ended, because the destruction queues behind Run.
//
// Threading: Wait and the destructor may be called from any thread, the worker included (Wait then
// returns at once; releasing from there destroys the worker after the running job).

#include <utility>

#include "hftp/IService.h"
#include "hftp/detail/EngineThreads.h"

namespace hftp::detail {

class LonerService final : public IService {
 public:
  template <typename... Args>
  explicit LonerService(Args&&... transferArgs) : transfer_(std::forward<Args>(transferArgs)...) {
    transfer_.Post(&Service::Run);
  }

  LonerService(const LonerService&) = delete;
  LonerService& operator=(const LonerService&) = delete;
  ~LonerService() override = default;

  // Queued behind Run: returns once the transfer has finished.
  void Wait() override { transfer_.Invoke(&Service::Wait); }

 private:
  LonerTransfer transfer_;
};

}  // namespace hftp::detail
