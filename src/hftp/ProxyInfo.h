#pragma once
// Proxy settings of a transfer, copied into every service that uses them.
//
//   hftp::ProxyInfo proxy;              // default: no proxy
//   proxy.host = "proxy.example";       // a proxy is used exactly when host is non-empty
//   proxy.address = "proxy.example:3128";
//   proxy.credentials = "user:secret";
//
// `address`, `type` and `credentials` are what the transfer hands to libcurl; `port`, `user` and
// `password` are carried along for the caller's own bookkeeping. A plain value: thread-compatible.

#include <cstdint>
#include <string>

namespace hftp {

struct ProxyInfo {
  std::int32_t type = 0;  // libcurl's curl_proxytype (0 = HTTP proxy), passed through unchanged
  std::string host;       // non-empty: use the proxy
  std::int32_t port = 0;
  std::string user;
  std::string password;
  std::string address;      // the proxy as libcurl takes it (CURLOPT_PROXY)
  std::string credentials;  // "user:password" as libcurl takes it (CURLOPT_PROXYUSERPWD)
};

// The settings of a proxy a caller names in its own UTF-16: `address` as libcurl takes it (an
// empty one means "no proxy at all", not even one from the environment) and its "user:password"
// (empty: none). Converted where every other request text is (detail/TransferRequest.cpp).
ProxyInfo NamedProxy(const std::wstring& address, const std::wstring& credentials);

// `proxy` with the caller's "user:password" (UTF-16) as its credentials.
ProxyInfo WithCredentials(ProxyInfo proxy, const std::wstring& credentials);

}  // namespace hftp
