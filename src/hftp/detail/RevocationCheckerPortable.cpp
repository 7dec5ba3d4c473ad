// libcurl on OpenSSL checks no revocation, and neither does the engine (RevocationChecker.h).
#include "hftp/detail/RevocationChecker.h"

namespace hftp::detail {

std::shared_ptr<const RevocationCheck> RevocationOfConnection(CURL* /*handle*/) noexcept {
  return nullptr;
}

}  // namespace hftp::detail
