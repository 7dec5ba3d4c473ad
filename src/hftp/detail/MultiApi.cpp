#include "hftp/detail/MultiApi.h"

namespace hftp::detail {
namespace {

class Libcurl final : public MultiApi {
 public:
  CURLMcode AddHandle(CURLM* multi, CURL* easy) override {
    return curl_multi_add_handle(multi, easy);
  }
  CURLMcode RemoveHandle(CURLM* multi, CURL* easy) override {
    return curl_multi_remove_handle(multi, easy);
  }
  CURLMcode Perform(CURLM* multi, int* running) override {
    return curl_multi_perform(multi, running);
  }
  CURLMsg* InfoRead(CURLM* multi, int* queued) override {
    return curl_multi_info_read(multi, queued);
  }
  CURLMcode Poll(CURLM* multi, int timeoutMs, int* active) override {
    return curl_multi_poll(multi, nullptr, 0, timeoutMs, active);
  }
  CURLMcode Timeout(CURLM* multi, long* timeoutMs) override {
    return curl_multi_timeout(multi, timeoutMs);
  }
};

}  // namespace

MultiApi& LibcurlMultiApi() noexcept {
  static Libcurl api;
  return api;
}

}  // namespace hftp::detail
