#pragma once
// One transfer's request as the engine's transfer takes it: every text already UTF-8, every
// limit in whole seconds. The factory makes it from the caller's hftp::RequestOptions
// (ToTransferRequest), the one place where the caller's wide strings become UTF-8; every creator
// of the factory, positional or not, goes through it.
//
//   TransferRequest request = ToTransferRequest(L"http://host/file", options, proxy);
//   Service transfer(std::move(request), observer);
//
// A plain value: thread-compatible.

#include <cstdint>
#include <string>
#include <vector>

#include "hftp/ProxyInfo.h"
#include "hftp/RequestOptions.h"

namespace hftp::detail {

struct TransferRequest {
  std::string url;
  ProxyInfo proxy;
  std::string user;
  std::string password;
  std::string cookie;
  std::string userAgent;             // empty: no User-Agent
  std::vector<std::string> headers;  // complete lines, sent in order
  std::vector<unsigned char> body;   // non-empty: a POST of it
  std::int64_t from = -1;            // the byte range; -1 leaves that end open
  std::int64_t to = -1;
  std::int64_t resumeFrom = 0;      // > 0: "Range: bytes=N-", outside the byte range
  std::string ifRange;              // with resumeFrom: sent as If-Range
  std::int32_t stallTimeout = 0;    // 0: none
  std::int32_t connectTimeout = 0;  // 0: libcurl's own limit
  std::int32_t totalTimeout = 0;    // 0: none
};

// `url` and `options` as the transfer takes them, with `proxy` (the factory has resolved
// options.proxy against its default). A text that cannot be converted becomes empty.
TransferRequest ToTransferRequest(const std::wstring& url, const RequestOptions& options,
                                  const ProxyInfo& proxy);

// The one conversion of a request's text to UTF-8: a text that cannot be converted (half a
// surrogate pair) becomes empty; conversion stops at a NUL.
std::string Utf8(const std::wstring& text);

}  // namespace hftp::detail
