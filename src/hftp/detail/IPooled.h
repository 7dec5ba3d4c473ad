#pragma once
// An item that the transfer pool drives: it is told when libcurl reports its transfer finished.
//
// TransferDone runs on the shared worker, inside CurlPool::Tick, after the pool has taken the
// item's handle out; it must return quickly and must not call back into the pool synchronously (a
// PooledService posts its completion as a separate job).

#include <curl/curl.h>

namespace hftp::detail {

class IPooled {
 public:
  virtual ~IPooled() = default;

  virtual void TransferDone(CURLcode result) = 0;
};

}  // namespace hftp::detail
