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
// tests/server/README.md), so tests can run in parallel against the one server. It serves the same
// routes over HTTPS too, once per kind of server certificate of its test PKI:
//
//   const std::string https = msk::test::TestServer::HttpsUrl("good", "/bytes?size=1000");
//   // https://localhost:<port>/bytes?size=1000, its certificate issued by TestCaFile()

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
  // "https://localhost:<port>" + pathAndQuery, where the server presents the certificate
  // `certificate`: good, wrong_host, self_signed, expired or unknown_ca (tests/server/README.md).
  static std::string HttpsUrl(const std::string& certificate, const std::string& pathAndQuery);
  // Whether the server presents `certificate` at all: revocation_held and revoked only where it
  // could issue them (tests/server/README.md).
  static bool ServesHttps(const std::string& certificate);
  // "127.0.0.1:<port>" of one of the server's forward proxies: "proxy", or "proxy_basic", which
  // asks for Basic credentials (proxyuser:proxypass) first.
  static std::string ProxyAddress(const std::string& name);
  // The PEM file of the CA that issued the good certificate, as this process opens it.
  static std::string TestCaFile();
};

}  // namespace msk::test
