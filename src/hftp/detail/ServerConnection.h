#pragma once
// Request/response exchanges on the transfer pool: each Request is one pooled transfer whose whole
// response body reaches the caller's callback as one string.
//
//   auto connection = factory.CreateServerConnection();
//   connection->Request(7, "http://host/api", "{\"q\":1}",
//                       [](long id, int status, const std::string& text) { ... });
//
// A non-empty body is POSTed, an empty one makes a GET; redirects are followed, no proxy, no
// credentials, no time limit. The connection keeps no state: any number of requests may be in
// flight, each with its own identifier, and the connection may be released before they end. Each
// callback runs once, on the pool thread (see Observer). Tear the engine down only after every
// callback has run.
//
// Threading: Request may be called from any thread, including from inside a callback.

#include <string>

#include "hftp/IServerConnection.h"

namespace hftp::detail {

class ServerConnection final : public IServerConnection {
 public:
  void Request(long requestId, const std::string& url, const std::string& body,
               const ResultCallback& onResult) override;
};

}  // namespace hftp::detail
