#include "hftp/detail/CurlGlobal.h"

#include <mutex>

#include "hftp/EngineTeardown.h"

namespace hftp::detail {
namespace {

// A plain mutex rather than std::call_once: the state can be released and set up again.
std::mutex& GlobalMutex() noexcept {
  static std::mutex mutex;
  return mutex;
}

bool setUp = false;  // guarded by GlobalMutex()

}  // namespace

bool EnsureCurlGlobal() noexcept {
  const std::lock_guard<std::mutex> lock(GlobalMutex());
  if (!setUp) setUp = curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK;
  return setUp;
}

UniqueCurlEasy CreateEasyHandle() noexcept {
  EnsureCurlGlobal();
  return UniqueCurlEasy(curl_easy_init());
}

}  // namespace hftp::detail

namespace hftp {

void ReleaseGlobalState() noexcept {
  const std::lock_guard<std::mutex> lock(detail::GlobalMutex());
  if (!detail::setUp) return;
  curl_global_cleanup();
  detail::setUp = false;
}

}  // namespace hftp
