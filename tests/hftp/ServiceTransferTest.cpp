// One transfer over the wire against the loopback test server: what the server receives and what
// the observer is told.
#include <gtest/gtest.h>

#include <curl/curl.h>

#include <string>
#include <vector>

#include "TransferHelpers.h"
#include "hftp/detail/Service.h"
#include "support/TestServer.h"

namespace hftp::test {
namespace {

using msk::test::TestServer;

std::string EchoOf(const GetRequest& request) {
  auto observer = RunGet(request);
  EXPECT_EQ(observer->FinalStatus(), StatusCompleted);
  return observer->Body();
}

TEST(ServiceCredentials, ReachTheServerAsBasicAuthorization) {
  struct Case {
    const char* user;
    const char* password;
    std::optional<std::string> authorization;
  };
  const Case cases[] = {
      {"user", "secret", "Basic dXNlcjpzZWNyZXQ="},  // user:secret
      {"user", "", "Basic dXNlcjo="},                // user alone: libcurl adds the colon
      {"", "secret", std::nullopt},                  // no user: no credentials at all
      {"", "", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("user '") + c.user + "' password '" + c.password + "'");
    GetRequest request{TestServer::Url("/echo")};
    request.user = c.user;
    request.password = c.password;
    EXPECT_EQ(EchoedHeader(EchoOf(request), "Authorization"), c.authorization);
  }
}

TEST(ServiceCredentials, AreAcceptedByABasicAuthCheck) {
  GetRequest request{TestServer::Url("/auth/basic?user=anna&password=pw")};
  request.user = "anna";
  request.password = "pw";
  EXPECT_EQ(RunGet(request)->Body(), "authenticated as anna\n");

  request.password = "wrong";
  auto refused = RunGet(request);
  EXPECT_EQ(refused->FinalStatus(), StatusError);  // 401
  EXPECT_EQ(refused->Body(), "");
}

TEST(ServiceStallTimeout, EndsAStalledBodyOnlyWhenPositive) {
  // The body starts only 2.5 s after the headers.
  const std::string url = TestServer::Url("/bytes?size=3000&stall_after=0&stall=2.5");
  for (const std::int32_t stall : {0, -1}) {
    SCOPED_TRACE(stall);
    GetRequest request{url};
    request.stallTimeout = stall;
    auto observer = RunGet(request);
    EXPECT_EQ(observer->FinalStatus(), StatusCompleted);
    EXPECT_EQ(observer->Body(), PatternBytes(0, 3000));
  }
  GetRequest request{url};
  request.stallTimeout = 1;
  auto observer = RunGet(request);
  ASSERT_EQ(observer->FinalStatus(), StatusConnectionError);
  EXPECT_EQ(observer->Final()->resultCode, CURLE_OPERATION_TIMEDOUT);
  EXPECT_EQ(observer->Body(), "");
  // Told apart from a connect timeout, which ends with the same code.
  ASSERT_EQ(observer->ends.size(), 1u);
  EXPECT_EQ(observer->ends[0].report.kind, TransferResult::Kind::Stalled);
  EXPECT_TRUE(observer->ends[0].report.connected);
}

TEST(ServiceStallTimeout, EndsABodyThatStopsAfterABurst) {
  // libcurl's own check averages the speed over its last few seconds: the burst would hide a
  // stall of 4 s from a limit of 1 s.
  GetRequest request{TestServer::Url("/bytes?size=200000&stall_after=100000&stall=4")};
  request.stallTimeout = 1;
  auto observer = RunGet(request);
  ASSERT_EQ(observer->ends.size(), 1u);
  EXPECT_EQ(observer->ends[0].report.kind, TransferResult::Kind::Stalled);
  EXPECT_EQ(observer->Body(), PatternBytes(0, 100000));
}

TEST(ServiceRequest, BodyChoosesBetweenGetAndPost) {
  const std::vector<unsigned char> binary = {'a', 0, 'b', 0, 0, 0xFF, '\r', '\n'};
  for (const auto& body : {std::vector<unsigned char>{}, std::vector<unsigned char>{'x'}, binary}) {
    SCOPED_TRACE(body.size());
    auto observer = RunPost(TestServer::Url("/echo/body"), body);
    EXPECT_EQ(observer->FinalStatus(), StatusCompleted);
    EXPECT_EQ(observer->Body(), std::string(body.begin(), body.end()));
  }
  auto post = RunPost(TestServer::Url("/echo"), {'x'});
  EXPECT_EQ(EchoedRequestLine(post->Body()), "POST /echo HTTP/1.1");
  EXPECT_EQ(EchoedHeader(post->Body(), "Content-Length"), "1");
  auto get = RunPost(TestServer::Url("/echo"), {});
  EXPECT_EQ(EchoedRequestLine(get->Body()), "GET /echo HTTP/1.1");
}

TEST(ServiceRequest, TextBodyKeepsEmbeddedNuls) {
  const std::string body("key\0value\0", 10);
  auto observer = std::make_shared<RecordingObserver>();
  {
    detail::Service service(TestServer::Url("/echo/body"), body, observer, ProxyInfo(), "", "", 0,
                            "");
    service.Run();
  }
  EXPECT_EQ(observer->FinalStatus(), StatusCompleted);
  EXPECT_EQ(observer->Body(), body);
}

TEST(ServiceRequest, SendsExtraHeaderLinesAndTheCookie) {
  GetRequest request{TestServer::Url("/echo")};
  request.headers = {"X-Trace: 42", "X-Words: two words"};
  request.cookie = "Set-Cookie: flavour=oat; path=/";
  const std::string echo = EchoOf(request);
  EXPECT_EQ(EchoedHeader(echo, "X-Trace"), "42");
  EXPECT_EQ(EchoedHeader(echo, "X-Words"), "two words");
  EXPECT_LT(echo.find("X-Trace"), echo.find("X-Words"));
  EXPECT_EQ(EchoedHeader(echo, "Cookie"), "flavour=oat");

  GetRequest plain{TestServer::Url("/cookie")};
  plain.cookie = "127.0.0.1\tFALSE\t/\tFALSE\t0\tsize\tlarge";  // libcurl's file format
  EXPECT_EQ(RunGet(plain)->Body(), "size=large");
  EXPECT_EQ(RunGet(GetRequest{TestServer::Url("/cookie")})->Body(), "");
}

TEST(ServiceResponse, DeliversTheBodyWithTheSizeFromContentLength) {
  for (const char* query : {"", "&length=nospace"}) {
    SCOPED_TRACE(query);
    auto observer = RunGet(GetRequest{TestServer::Url(std::string("/bytes?size=100000") + query)});
    ASSERT_EQ(observer->FinalStatus(), StatusCompleted);
    EXPECT_EQ(observer->Final()->resultCode, CURLE_OK);
    EXPECT_EQ(observer->Body(), PatternBytes(0, 100000));
    for (const Notification& n : observer->All()) {
      EXPECT_EQ(n.totalSize, 100000);
      EXPECT_LE(n.bytes.size(), std::size_t{CURL_MAX_WRITE_SIZE});  // libcurl's largest block
    }
    // Data chunks carry the empty line that ended the headers.
    EXPECT_EQ(observer->All().front().headerLine, "\r\n");
  }
}

TEST(ServiceResponse, BodiesWithoutLengthHaveTotalSizeZero) {
  for (const char* query : {"&length=none", "&chunked=1&chunk=1000"}) {
    SCOPED_TRACE(query);
    auto observer = RunGet(GetRequest{TestServer::Url(std::string("/bytes?size=6000") + query)});
    EXPECT_EQ(observer->FinalStatus(), StatusCompleted);
    EXPECT_EQ(observer->Body(), PatternBytes(0, 6000));
    EXPECT_EQ(observer->Final()->totalSize, 0);
  }
}

TEST(ServiceResponse, TheResponseWithTheBodyIsAnnouncedOnceBeforeIt) {
  struct Case {
    std::string query;
    std::int64_t resumeFrom;
    int statusCode;
    std::optional<std::int64_t> rangeFirst;
    std::string body;  // delivered as the server sent it
  };
  const std::string redirect = "/redirect?to=" + std::string("%2Fbytes%3Fsize%3D3000");
  const Case cases[] = {
      {"/bytes?size=3000", 0, 200, std::nullopt, PatternBytes(0, 3000)},
      {"/bytes?size=3000", 1000, 206, 1000, PatternBytes(1000, 2000)},
      {"/bytes?size=3000&ranges=ignore", 1000, 200, std::nullopt, PatternBytes(0, 3000)},
      {redirect, 1000, 206, 1000, PatternBytes(1000, 2000)},  // the answer behind the redirect
      {"/bytes?size=0", 0, 200, std::nullopt, ""},  // no body: announced before the completion
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.query + " from " + std::to_string(c.resumeFrom));
    RequestOptions options;
    options.resumeFrom = c.resumeFrom;
    const auto observer = RunWithOptions(TestServer::Url(c.query), options);
    ASSERT_EQ(observer->FinalStatus(), StatusCompleted);
    EXPECT_EQ(observer->Body(), c.body);
    EXPECT_EQ(observer->Final()->totalSize, 3000 * (c.query != "/bytes?size=0"));
    ASSERT_EQ(observer->responses.size(), 1u);
    EXPECT_EQ(observer->responses[0].after, 0u);
    EXPECT_EQ(observer->responses[0].report.statusCode, c.statusCode);
    EXPECT_EQ(observer->responses[0].report.rangeFirst, c.rangeFirst);
    ASSERT_EQ(observer->ends.size(), 1u);
    EXPECT_EQ(observer->ends[0].report.kind, TransferResult::Kind::Completed);
  }
  // A response that ends the transfer with its status is not announced.
  const auto missing = RunGet(GetRequest{TestServer::Url("/status/404")});
  EXPECT_EQ(missing->FinalStatus(), StatusNotFound);
  EXPECT_TRUE(missing->responses.empty());
}

TEST(ServiceResponse, ErrorStatusEndsTheTransferWithOneNotification) {
  struct Case {
    const char* path;
    int status;
    const char* statusLine;
  };
  const Case cases[] = {
      {"/status/404", StatusNotFound, "HTTP/1.1 404 Not Found\r\n"},
      {"/status/503", StatusError, "HTTP/1.1 503 Service Unavailable\r\n"},
      {"/status/400", StatusError, "HTTP/1.1 400 Bad Request\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    auto observer = RunGet(GetRequest{TestServer::Url(c.path)});
    ASSERT_EQ(observer->FinalStatus(), c.status);
    EXPECT_EQ(observer->All().size(), 1u);  // no body byte before it
    EXPECT_EQ(observer->Final()->headerLine, c.statusLine);
    EXPECT_FALSE(observer->Final()->resultCode);
    EXPECT_TRUE(observer->Final()->dataIsNull);
  }
}

TEST(ServiceResponse, AStatusQuotedInAnotherHeaderLineIsNotTheResponses) {
  auto observer = RunGet(GetRequest{TestServer::Url(
      "/bytes?size=5000&header=X-Upstream:%20HTTP/1.1%20503%20Service%20Unavailable")});
  ASSERT_EQ(observer->FinalStatus(), StatusCompleted);
  EXPECT_EQ(observer->Body(), PatternBytes(0, 5000));
}

TEST(ServiceResponse, ConnectionCloseWithholdsTheBodyOfItsOwnResponseOnly) {
  struct Case {
    const char* query;
    bool withheld;
  };
  const Case cases[] = {
      {"/bytes?size=5000&header=Connection:%20CLOSE", true},
      {"/bytes?size=5000&header=connection:%20CLOSE", true},
      {"/bytes?size=5000&header=Connection:%20close", false},  // only the capitals count
      {"/bytes?size=5000&header=X-Connection:%20CLOSE", false},
      // A redirect's header says nothing about the answer behind it.
      {"/redirect?header=Connection:%20CLOSE&to=%2Fbytes%3Fsize%3D5000", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.query);
    auto observer = RunGet(GetRequest{TestServer::Url(c.query)});
    EXPECT_EQ(observer->FinalStatus(), StatusCompleted);
    EXPECT_EQ(observer->Body(), c.withheld ? "" : PatternBytes(0, 5000));
    ASSERT_EQ(observer->responses.size(), 1u);
    EXPECT_EQ(observer->responses[0].report.bodyWithheld, c.withheld);
  }
}

TEST(ServiceResponse, FollowsARedirectChain) {
  auto observer = RunGet(GetRequest{TestServer::Url("/redirect?n=3&to=%2Fbytes%3Fsize%3D3000")});
  EXPECT_EQ(observer->FinalStatus(), StatusCompleted);
  EXPECT_EQ(observer->Body(), PatternBytes(0, 3000));
  EXPECT_EQ(observer->Final()->totalSize, 3000);
}

TEST(ServiceFailure, EachFailureEndsWithItsStatusAndResultCode) {
  const std::string closedPort = std::to_string(TestServer::ClosedPort());
  struct Case {
    std::string url;
    int status;
    CURLcode result;
    bool connected;  // as libcurl's account before the final notification says
  };
  const Case cases[] = {
      {TestServer::Url("/bytes?size=100000&drop_after=5000"), StatusTransferError,
       CURLE_PARTIAL_FILE, true},
      {"http://127.0.0.1:" + closedPort + "/", StatusConnectionError, CURLE_COULDNT_CONNECT, false},
      {"http://[::1/", StatusAddressError, CURLE_URL_MALFORMAT, false},
      {"", StatusAddressError, CURLE_URL_MALFORMAT, false},
      {"nosuch://127.0.0.1/", StatusAddressError, CURLE_UNSUPPORTED_PROTOCOL, false},
      {"http://msk-no-such-host.invalid/", StatusAddressError, CURLE_COULDNT_RESOLVE_HOST, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    auto observer = RunGet(GetRequest{c.url});
    ASSERT_EQ(observer->FinalStatus(), c.status);
    EXPECT_EQ(observer->Final()->resultCode, c.result);
    ASSERT_EQ(observer->ends.size(), 1u);
    const TransferResult& error = observer->ends[0].report;
    EXPECT_EQ(observer->ends[0].after, observer->All().size() - 1);  // right before the final
    EXPECT_EQ(error.resultCode, c.result);
    EXPECT_FALSE(error.message.empty());
    EXPECT_EQ(error.connected, c.connected);
  }
  // libcurl's words, not only the code's generic text.
  const auto refused = RunGet(GetRequest{cases[1].url});
  ASSERT_EQ(refused->ends.size(), 1u);
  EXPECT_NE(refused->ends[0].report.message.find(closedPort), std::string::npos)
      << refused->ends[0].report.message;
  auto dropped = RunGet(GetRequest{cases[0].url});
  EXPECT_EQ(dropped->Body(), PatternBytes(0, 5000));  // what arrived before the drop

  // A reset reads as a receive error on Linux, as an early end under wine: a transfer error both.
  auto reset = RunGet(GetRequest{TestServer::Url("/bytes?size=100000&drop_after=5000&drop=reset")});
  ASSERT_EQ(reset->FinalStatus(), StatusTransferError);
  EXPECT_TRUE(reset->Final()->resultCode == CURLE_RECV_ERROR ||
              reset->Final()->resultCode == CURLE_PARTIAL_FILE);
}

// A scheme other than http and https fails as an address, also one that this libcurl knows (the
// Debian one speaks file and ftp).
TEST(ServiceFailure, ASchemeOtherThanHttpOrHttpsIsUnsupported) {
  const std::string closedPort = std::to_string(TestServer::ClosedPort());
  for (const std::string& url :
       {"msk-unknown://" + TestServer::HostAndPort() + "/bytes?size=1",
        std::string("file:///etc/hostname"), "ftp://127.0.0.1:" + closedPort + "/file.bin"}) {
    SCOPED_TRACE(url);
    auto observer = RunGet(GetRequest{url});
    ASSERT_EQ(observer->FinalStatus(), StatusAddressError);
    EXPECT_EQ(observer->Final()->resultCode, CURLE_UNSUPPORTED_PROTOCOL);
  }
}

TEST(ServiceProxy, NonEmptyHostSendsTheRequestThroughTheProxy) {
  GetRequest request{"http://msk-proxied.invalid/echo"};  // resolvable only by the proxy
  request.proxy.host = "127.0.0.1";
  request.proxy.address = TestServer::HostAndPort();
  request.proxy.credentials = "pu:pp";
  const std::string echo = EchoOf(request);
  EXPECT_EQ(EchoedRequestLine(echo), "GET http://msk-proxied.invalid/echo HTTP/1.1");
  // Credentials go only to a proxy that asks for them.
  EXPECT_EQ(EchoedHeader(echo, "Proxy-Authorization"), std::nullopt);
}

// A proxy's 407 is answered with the credentials, whose scheme the proxy chooses; without
// credentials it accepts, the 407 ends the transfer.
TEST(ServiceProxy, AProxysSignOnIsAnsweredWithTheCredentials) {
  struct Case {
    const char* credentials;
    Status status;
  };
  for (const Case& c :
       {Case{"proxyuser:proxypass", StatusCompleted},
        Case{"proxyuser:wrong", StatusConnectionError}, Case{"", StatusConnectionError}}) {
    SCOPED_TRACE(c.credentials);
    GetRequest request{"http://msk-proxied.invalid/bytes?size=5000"};
    request.proxy.host = "127.0.0.1";
    request.proxy.address = TestServer::ProxyAddress("proxy_basic");
    request.proxy.credentials = c.credentials;
    const auto observer = RunGet(request);
    ASSERT_EQ(observer->FinalStatus(), c.status);
    if (c.status == StatusCompleted) {
      EXPECT_EQ(observer->Body().size(), 5000u);
    } else {
      EXPECT_EQ(observer->Final()->resultCode, CURLE_HTTP_RETURNED_ERROR);
      ASSERT_EQ(observer->ends.size(), 1u);
      EXPECT_EQ(observer->ends[0].report.kind, TransferResult::Kind::ProxyAuthFailed);
    }
  }
}

TEST(ServiceProxy, DefaultProxyInfoGoesDirect) {
  GetRequest request{TestServer::Url("/echo")};
  request.proxy.address = "127.0.0.1:1";  // ignored: host is empty
  EXPECT_EQ(EchoedRequestLine(EchoOf(request)), "GET /echo HTTP/1.1");
}

}  // namespace
}  // namespace hftp::test
