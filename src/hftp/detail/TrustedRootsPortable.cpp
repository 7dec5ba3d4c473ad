#include "hftp/ForTesting.h"
#include "hftp/TrustedRootsReady.h"
#include "hftp/detail/TrustedRoots.h"

namespace hftp::detail {

// libcurl's default: the CA bundle the system's libcurl was built to use.
const curl_blob* PlatformTrustedRoots() noexcept {
  return nullptr;
}

bool PlatformTrustedRootsBuiltForTesting() noexcept {
  return false;
}

}  // namespace hftp::detail

namespace hftp {

// Nothing to gather: libcurl reads the system's bundle itself.
bool TrustedRootsReadyFor(std::wstring_view) noexcept {
  return true;
}

}  // namespace hftp
