#include "hftp/detail/CurlGlobal.h"

#include <atomic>

#include "hftp/ProcessExit.h"

namespace hftp::detail {
namespace {

std::atomic<bool> processExiting{false};

class CurlGlobal {
 public:
  CurlGlobal() noexcept { curl_global_init(CURL_GLOBAL_ALL); }
  CurlGlobal(const CurlGlobal&) = delete;
  CurlGlobal& operator=(const CurlGlobal&) = delete;
  ~CurlGlobal() {
    // At process exit the operating system reclaims everything; cleaning up under the loader
    // lock with the other threads already killed is where exits hang.
    if (!processExiting.load()) curl_global_cleanup();
  }
};

const CurlGlobal curlGlobal;

}  // namespace

UniqueCurlEasy CreateEasyHandle() noexcept {
  return UniqueCurlEasy(curl_easy_init());
}

}  // namespace hftp::detail

namespace hftp {

void LeaveGlobalStateToProcessExit() noexcept {
  detail::processExiting.store(true);
}

}  // namespace hftp
