#include "ui/ProxyRoute.h"

#include "hftp/SystemProxy.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ui::DownloadOutcome;
using ui::DownloadResult;

hftp::ProxyInfo Proxy(const std::string& address) {
  hftp::ProxyInfo proxy;
  proxy.host = address.substr(0, address.find(':'));
  proxy.address = address;
  return proxy;
}

std::vector<std::string> Described(const std::vector<hftp::ProxyInfo>& route) {
  std::vector<std::string> out;
  for (const hftp::ProxyInfo& entry : route) {
    out.push_back(hftp::RouteName(entry) +
                  (entry.credentials.empty() ? "" : " as " + entry.credentials));
  }
  return out;
}

TEST(ProxyRoute, TheScriptsProxyElseTheSystemsWithTheCredentialsOnEveryProxy) {
  int systemAsked = 0;
  const auto system = [&] {
    ++systemAsked;
    return std::vector<hftp::ProxyInfo>{Proxy("dead.test:1"), hftp::DirectConnection(),
                                        Proxy("alive.test:2")};
  };
  EXPECT_EQ(Described(ui::ProxyRouteFor(Proxy("script.test:3"), system, "u:p")),
            std::vector<std::string>{"script.test:3 as u:p"});
  EXPECT_EQ(Described(ui::ProxyRouteFor(hftp::DirectConnection(), system, "u:p")),
            std::vector<std::string>{"direct"});  // /PROXY=
  EXPECT_EQ(systemAsked, 0);
  EXPECT_EQ(Described(ui::ProxyRouteFor(std::nullopt, system, "u:p")),
            (std::vector<std::string>{"dead.test:1 as u:p", "direct", "alive.test:2 as u:p"}));
  EXPECT_EQ(Described(ui::ProxyRouteFor(std::nullopt, system, "")),
            (std::vector<std::string>{"dead.test:1", "direct", "alive.test:2"}));
  EXPECT_TRUE(ui::ProxyRouteFor(
                  std::nullopt, [] { return std::vector<hftp::ProxyInfo>(); }, "u:p")
                  .empty());  // the environment's
}

// Along a PAC's answer, a transfer moves on exactly when the entry's proxy cannot be reached.
TEST(ProxyRoute, OnlyAProxyThatCannotBeConnectedToSendsTheTransferToTheNextEntry) {
  struct Case {
    const char* what;
    DownloadResult result;
    std::int32_t code;
    bool direct;
    bool movesOn;
  };
  const Case cases[] = {
      {"refused", DownloadResult::CannotConnect, CURLE_COULDNT_CONNECT, false, true},
      {"unknown proxy", DownloadResult::CannotConnect, CURLE_COULDNT_RESOLVE_PROXY, false, true},
      {"connect time-out", DownloadResult::CannotConnect, CURLE_OPERATION_TIMEDOUT, false, true},
      {"the target's TLS", DownloadResult::CannotConnect, CURLE_SSL_CONNECT_ERROR, false, false},
      {"direct refused", DownloadResult::CannotConnect, CURLE_COULDNT_CONNECT, true, false},
      {"HTTP error", DownloadResult::HttpError, CURLE_HTTP_RETURNED_ERROR, false, false},
      {"sign-on", DownloadResult::ProxyAuthFailed, CURLE_HTTP_RETURNED_ERROR, false, false},
      {"stall", DownloadResult::Stalled, CURLE_OPERATION_TIMEDOUT, false, false},
  };
  for (const Case& c : cases) {
    DownloadOutcome outcome;
    outcome.result = c.result;
    outcome.resultCode = c.code;
    const hftp::ProxyInfo entry = c.direct ? hftp::DirectConnection() : Proxy("p.test:1");
    EXPECT_EQ(ui::IsProxyUnreachable(outcome, entry), c.movesOn) << c.what;
  }
  DownloadOutcome refused;
  refused.result = DownloadResult::CannotConnect;
  refused.detail = "Failed to connect to 127.0.0.1 port 9";
  const DownloadOutcome last = ui::ProxyUnreachable(refused, Proxy("127.0.0.1:9"));
  EXPECT_EQ(last.result, DownloadResult::ProxyUnreachable);
  EXPECT_EQ(last.detail, "127.0.0.1:9: Failed to connect to 127.0.0.1 port 9");
  EXPECT_EQ(ui::RouteText(Proxy("p.test:1")), L"p.test:1");
  EXPECT_EQ(ui::RouteText(hftp::DirectConnection()), L"direct");
  EXPECT_EQ(ui::RouteText(std::nullopt), L"");
}

}  // namespace
