#pragma once
// Where the loopback HTTP test server of tests/server listens.
//
// CTest starts one server per run (fixture msk_http_server) and hands its address file to the test
// through MSK_TEST_SERVER_FILE; tests built with msk_add_gtest(... HTTP_SERVER) get that variable.
//
//   #include "support/TestServer.h"
//   const std::string url = msk::test::TestServer::Url("/bytes?size=1000");
//
// The server is stateless: every behaviour is chosen by the request path and query (see
// tests/server/README.md), so tests can run in parallel against the one server.

#include <string>

namespace msk::test {

class TestServer {
 public:
  // "http://127.0.0.1:<port>"; fails the calling test (and returns "") when no server runs.
  static std::string BaseUrl();
  // BaseUrl() + pathAndQuery, which must start with '/'.
  static std::string Url(const std::string& pathAndQuery);
  // "127.0.0.1:<port>", for proxy settings.
  static std::string HostAndPort();
  // A loopback port on which nothing listens, for connection-refused cases.
  static unsigned short ClosedPort();
};

}  // namespace msk::test
