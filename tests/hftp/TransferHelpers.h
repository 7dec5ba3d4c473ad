#pragma once
// Running one Service against the loopback test server and reading what it received.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "RecordingObserver.h"
#include "hftp/ProxyInfo.h"
#include "hftp/RequestOptions.h"
#include "hftp/detail/TransferRequest.h"

namespace hftp::test {

// The server's generated body bytes [offset, offset + length): tests/server/README.md.
std::string PatternBytes(std::int64_t offset, std::size_t length);

struct GetRequest {
  explicit GetRequest(std::string address) : url(std::move(address)) {}

  std::string url;
  std::string user;
  std::string password;
  std::int32_t stallTimeout = 0;
  std::vector<std::string> headers;
  std::string cookie;
  ProxyInfo proxy;
};

// Each runs one transfer to its end and destroys the service before returning, so the observer
// has seen everything, the destructor's notifications included.
void RunGet(const GetRequest& request, const std::shared_ptr<RecordingObserver>& observer);
std::shared_ptr<RecordingObserver> RunGet(const GetRequest& request);
// `options` as the factory makes them into a transfer's request, for `url` (UTF-8) without a proxy.
detail::TransferRequest RequestFor(const std::string& url, const RequestOptions& options);
std::shared_ptr<RecordingObserver> RunRange(const std::string& url, std::int64_t from,
                                            std::int64_t to);
std::shared_ptr<RecordingObserver> RunWithOptions(const std::string& url,
                                                  const RequestOptions& options);
std::shared_ptr<RecordingObserver> RunPost(const std::string& url,
                                           const std::vector<unsigned char>& body);

// From the body of the server's /echo route: the request line, and the value of a header line.
std::string EchoedRequestLine(const std::string& echo);
std::optional<std::string> EchoedHeader(const std::string& echo, const std::string& name);

}  // namespace hftp::test
