// The revocation check of a Service's connections (hftp/RevocationCheck.h).
#include <algorithm>

#include "hftp/detail/RevocationChecker.h"
#include "hftp/detail/Service.h"

namespace hftp::detail {

bool Service::CheckRevocation() noexcept {
  MSK_CHECK_THREAD(hostThread_);
  try {
    std::shared_ptr<const RevocationCheck> check = RevocationOfConnection(handle_.Get());
    if (!check) return true;
    // Known to be revoked already: nothing is asked of the server. A verdict still to come is
    // waited for by whoever takes the body (ResponseInfo::revocation).
    if (check->Verdict() == Revocation::Revoked) {
      certificateRevoked_ = true;
      return false;
    }
    if (std::find(revocation_.begin(), revocation_.end(), check) == revocation_.end()) {
      revocation_.push_back(std::move(check));
    }
  } catch (...) {
    // out of memory: the transfer goes on unchecked, as one without a check would
  }
  return true;
}

}  // namespace hftp::detail
