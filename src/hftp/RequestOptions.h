#pragma once
// How one transfer may behave beyond what its URL says: the limits that end a transfer which no
// longer makes progress, what the request carries besides the URL (header lines, a user agent, a
// proxy) and where a resumed download starts. Handed to hftp::ServiceFactory's creator that takes
// options:
//
//   hftp::RequestOptions options;                      // the defaults ask for nothing extra
//   options.stallTimeout = std::chrono::seconds(30);   // no byte for 30 s: the transfer fails
//   options.connectTimeout = std::chrono::seconds(30);
//   options.headers = {L"X-Channel: beta"};
//   options.resumeFrom = 1048576;                      // "Range: bytes=1048576-"
//   auto service = factory.CreatePooledService(L"http://host/file", observer, options);
//
// Every field has a default that asks for what the creators without options do, so a field added
// later leaves existing callers as they are. A transfer ended by one of the time limits reports
// StatusConnectionError with result code 28 (CURLE_OPERATION_TIMEDOUT). Texts are the caller's
// UTF-16; the factory converts them to UTF-8, as libcurl takes them (hftp::ProxyInfo's are UTF-8
// already). The factory's positional creators fill the same record: every service is made from
// one.
//
// A plain value: thread-compatible.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hftp/ProxyInfo.h"

namespace hftp {

struct RequestOptions {
  // How long the transfer may go without receiving a byte (before the answer as well as within
  // its body). libcurl measures the receive speed over a few seconds, so a stall is noticed up to
  // about five seconds after this. Zero or less: no limit.
  std::chrono::seconds stallTimeout{0};
  // How long connecting may take, name lookup included. Zero or less: libcurl's own limit (300 s).
  // At most 2,147,483 s (libcurl keeps it in milliseconds in an int); more is cut to that.
  std::chrono::seconds connectTimeout{0};
  // How long the whole transfer may take, connecting included. Zero or less: no limit. Cut like
  // connectTimeout.
  std::chrono::seconds totalTimeout{0};
  // Complete request header lines ("Name: value"), sent in order after libcurl's own.
  std::vector<std::wstring> headers;
  // The User-Agent header's value; empty: none is sent.
  std::wstring userAgent;
  // HTTP credentials; an empty user sends none.
  std::wstring user;
  std::wstring password;
  // One cookie line for libcurl's cookie store, passed as it is; empty: none.
  std::string cookie;
  // Non-empty: the request is a POST of these bytes.
  std::vector<unsigned char> body;
  // A byte range (-1 leaves that end open); 0 to 0 asks for the headers only, and the size comes
  // as StatusSizeKnown.
  std::int64_t rangeFrom = -1;
  std::int64_t rangeTo = -1;
  // The proxy; absent: the factory's GetDefaultProxyInfo().
  std::optional<ProxyInfo> proxy;
  // Greater than 0: asks for the resource from this byte on ("Range: bytes=N-"). The body is
  // delivered exactly as the server sends it: a server that honours the range answers 206 with a
  // Content-Range that starts here, one that does not answers 200 with the whole resource.
  // IObserver::OnResponse tells the observer which, before the first byte.
  std::int64_t resumeFrom = 0;
  // With resumeFrom: the validator of the response the file was begun from (ResponseInfo::
  // validator), sent as If-Range, so that a server whose resource has changed since answers with
  // the whole new one (200) instead of a range of it. Empty: none is sent.
  std::string ifRange;
};

}  // namespace hftp
