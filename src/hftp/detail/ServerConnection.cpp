#include "hftp/detail/ServerConnection.h"

#include <cstdint>
#include <memory>

#include "hftp/ProxyInfo.h"
#include "hftp/detail/Observer.h"
#include "hftp/detail/PooledService.h"
#include "hftp/detail/TlsOptions.h"

namespace hftp::detail {

void ServerConnection::Request(long requestId, const std::string& url, const std::string& body,
                               const ResultCallback& onResult) {
  PrepareTls(url);  // here, not on the shared worker that configures the transfer
  auto observer = std::make_shared<Observer>(onResult, requestId);
  const std::string none;
  constexpr std::int32_t kNoStallTimeout = 0;
  // From here the service's reference keeps the observer alive, and the observer owns the service.
  observer->Own(std::make_unique<PooledService>(url, body, observer, ProxyInfo(), none, none,
                                                kNoStallTimeout, none));
}

}  // namespace hftp::detail
