#pragma once
// Owners of libcurl's multi and share handles, so every path releases them.
//
//   hftp::detail::MultiHandle multi(curl_multi_init());
//   hftp::detail::ShareHandle share(curl_share_init());
//
// curl_share_cleanup refuses (and keeps the handle) while an easy handle still uses the share, so
// the easy handles must let go of it first. Thread-compatible, like the handles themselves.

#include <curl/curl.h>

#include <memory>

namespace hftp::detail {

struct MultiHandleDeleter {
  void operator()(CURLM* handle) const noexcept { curl_multi_cleanup(handle); }
};
using MultiHandle = std::unique_ptr<CURLM, MultiHandleDeleter>;

struct ShareHandleDeleter {
  void operator()(CURLSH* handle) const noexcept { curl_share_cleanup(handle); }
};
using ShareHandle = std::unique_ptr<CURLSH, ShareHandleDeleter>;

}  // namespace hftp::detail
