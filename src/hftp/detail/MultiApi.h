#pragma once
// The libcurl multi-interface calls through which a CurlPool drives its transfers.
//
//   hftp::detail::CurlPool pool;                 // uses LibcurlMultiApi(): the real calls
//   hftp::detail::CurlPool watched(recorder);    // a test's MultiApi that watches or stages them
//
// A test implementation usually forwards to LibcurlMultiApi() and records the calls, or stages
// what libcurl would report (a CURLM_CALL_MULTI_PERFORM, a refused handle), so that the pool's
// handling of them can be checked. The real one is stateless and thread-safe.

#include <curl/curl.h>

namespace hftp::detail {

class MultiApi {
 public:
  virtual ~MultiApi() = default;

  virtual CURLMcode AddHandle(CURLM* multi, CURL* easy) = 0;
  virtual CURLMcode RemoveHandle(CURLM* multi, CURL* easy) = 0;
  virtual CURLMcode Perform(CURLM* multi, int* running) = 0;
  virtual CURLMsg* InfoRead(CURLM* multi, int* queued) = 0;
  // Waits up to `timeoutMs` for activity on the transfers' sockets; `active` counts the sockets
  // that had some.
  virtual CURLMcode Poll(CURLM* multi, int timeoutMs, int* active) = 0;
  // How long until libcurl's next own timer runs out: 0 when one has, -1 when none is set.
  virtual CURLMcode Timeout(CURLM* multi, long* timeoutMs) = 0;
};

// curl_multi_add_handle, curl_multi_remove_handle, curl_multi_perform, curl_multi_info_read,
// curl_multi_poll, curl_multi_timeout.
MultiApi& LibcurlMultiApi() noexcept;

}  // namespace hftp::detail
