#include "hftp/detail/TransferRequest.h"

#include <limits>

#include "hftp/SystemProxy.h"
#include "tools/StringTools.h"

namespace hftp::detail {
namespace {

// libcurl keeps the connect and the whole-transfer timeout in milliseconds in an int and refuses
// larger values.
constexpr std::int32_t kLongestMillisecondLimit = std::numeric_limits<int>::max() / 1000;

// `value` in whole seconds, 0 when it is 0 or less, `most` when it is more.
std::int32_t SecondsWithin(std::chrono::seconds value, std::int32_t most) noexcept {
  if (value.count() <= 0) return 0;
  return value.count() >= most ? most : static_cast<std::int32_t>(value.count());
}

}  // namespace

// The conversion that answers with a flag: a text that cannot be converted goes on empty.
std::string Utf8(const std::wstring& text) {
  std::string converted;
  Tools::StringTools::ConvertToUtf8(text, converted);
  return converted;
}

TransferRequest ToTransferRequest(const std::wstring& url, const RequestOptions& options,
                                  const ProxyInfo& proxy) {
  TransferRequest request;
  request.url = Utf8(url);
  request.proxy = proxy;
  request.user = Utf8(options.user);
  request.password = Utf8(options.password);
  request.cookie = options.cookie;
  request.userAgent = Utf8(options.userAgent);
  request.headers.reserve(options.headers.size());
  for (const std::wstring& line : options.headers) request.headers.push_back(Utf8(line));
  request.body = options.body;
  request.from = options.rangeFrom;
  request.to = options.rangeTo;
  request.resumeFrom = options.resumeFrom > 0 ? options.resumeFrom : 0;
  // A header line of its own: a validator with a line break would smuggle in another.
  if (request.resumeFrom > 0 && !options.ifRange.empty() &&
      options.ifRange.find_first_of("\r\n") == std::string::npos) {
    request.headers.push_back("If-Range: " + options.ifRange);
  }
  request.stallTimeout =
      SecondsWithin(options.stallTimeout, std::numeric_limits<std::int32_t>::max());
  request.connectTimeout = SecondsWithin(options.connectTimeout, kLongestMillisecondLimit);
  request.totalTimeout = SecondsWithin(options.totalTimeout, kLongestMillisecondLimit);
  return request;
}

}  // namespace hftp::detail

namespace hftp {

ProxyInfo NamedProxy(const std::wstring& address, const std::wstring& credentials) {
  ProxyInfo proxy;
  proxy.address = detail::Utf8(address);
  // A host set with an empty address hands libcurl "", which turns every proxy off.
  proxy.host = address.empty() ? "direct" : proxy.address;
  proxy.credentials = detail::Utf8(credentials);
  return proxy;
}

std::vector<ProxyInfo> SystemProxiesFor(const std::wstring& url) {
  return SystemProxiesFor(detail::Utf8(url));
}

ProxyInfo WithCredentials(ProxyInfo proxy, const std::wstring& credentials) {
  proxy.credentials = detail::Utf8(credentials);
  return proxy;
}

}  // namespace hftp
