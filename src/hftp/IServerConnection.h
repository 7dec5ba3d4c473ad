#pragma once
// Request/response exchanges whose answer arrives as one string.
//
// Request() sends a POST of `body` (a GET when it is empty) to `url` and calls `onResult` once,
// with `requestId`, the final status (hftp::Status) and the whole response body (empty unless the
// status is StatusCompleted). Any number of requests may be outstanding; `onResult` runs on the
// engine's pool thread.

#include <functional>
#include <string>

namespace hftp {

class IServerConnection {
 public:
  using ResultCallback = std::function<void(long requestId, int status, const std::string& body)>;

  virtual ~IServerConnection() = default;

  virtual void Request(long requestId, const std::string& url, const std::string& body,
                       const ResultCallback& onResult) = 0;
};

}  // namespace hftp
