#include "TransferHelpers.h"

#include "hftp/detail/Service.h"

namespace hftp::test {

detail::TransferRequest RequestFor(const std::string& url, const RequestOptions& options) {
  detail::TransferRequest request = detail::ToTransferRequest(L"", options, ProxyInfo());
  request.url = url;
  return request;
}

std::string PatternBytes(std::int64_t offset, std::size_t length) {
  constexpr std::int64_t kPeriod = 65521;
  std::string bytes;
  bytes.reserve(length);
  for (std::size_t i = 0; i < length; ++i) {
    const std::int64_t k = (offset + static_cast<std::int64_t>(i)) % kPeriod;
    bytes.push_back(static_cast<char>(static_cast<unsigned char>((k + k / 251) & 0xFF)));
  }
  return bytes;
}

void RunGet(const GetRequest& request, const std::shared_ptr<RecordingObserver>& observer) {
  detail::Service service(request.url, observer, request.proxy, request.user, request.password,
                          request.stallTimeout, request.headers, request.cookie);
  service.Run();
}

std::shared_ptr<RecordingObserver> RunGet(const GetRequest& request) {
  auto observer = std::make_shared<RecordingObserver>();
  RunGet(request, observer);
  return observer;
}

std::shared_ptr<RecordingObserver> RunRange(const std::string& url, std::int64_t from,
                                            std::int64_t to) {
  auto observer = std::make_shared<RecordingObserver>();
  detail::Service service(url, from, to, observer, ProxyInfo(), "", "", 0, "");
  service.Run();
  return observer;
}

std::shared_ptr<RecordingObserver> RunWithOptions(const std::string& url,
                                                  const RequestOptions& options) {
  auto observer = std::make_shared<RecordingObserver>();
  detail::Service service(RequestFor(url, options), observer);
  service.Run();
  return observer;
}

std::shared_ptr<RecordingObserver> RunPost(const std::string& url,
                                           const std::vector<unsigned char>& body) {
  auto observer = std::make_shared<RecordingObserver>();
  detail::Service service(url, body, observer, ProxyInfo(), "", "", 0, "");
  service.Run();
  return observer;
}

std::string EchoedRequestLine(const std::string& echo) {
  return echo.substr(0, echo.find("\r\n"));
}

std::optional<std::string> EchoedHeader(const std::string& echo, const std::string& name) {
  const std::string head = echo.substr(0, echo.find("\r\n\r\n") + 2);
  const std::string key = "\r\n" + name + ": ";
  const auto at = head.find(key);
  if (at == std::string::npos) return std::nullopt;
  const auto start = at + key.size();
  return head.substr(start, head.find("\r\n", start) - start);
}

}  // namespace hftp::test
