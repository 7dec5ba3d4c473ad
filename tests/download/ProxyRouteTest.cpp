#include "download/ProxyRoute.h"

#include "hftp/SystemProxy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using download::DownloadOutcome;
using download::DownloadResult;

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
  EXPECT_EQ(Described(download::ProxyRouteFor(Proxy("script.test:3"), system, L"u:p")),
            std::vector<std::string>{"script.test:3 as u:p"});
  EXPECT_EQ(Described(download::ProxyRouteFor(hftp::DirectConnection(), system, L"u:p")),
            std::vector<std::string>{"direct"});  // /PROXY=
  EXPECT_EQ(systemAsked, 0);
  EXPECT_EQ(Described(download::ProxyRouteFor(std::nullopt, system, L"u:p")),
            (std::vector<std::string>{"dead.test:1 as u:p", "direct", "alive.test:2 as u:p"}));
  EXPECT_EQ(Described(download::ProxyRouteFor(std::nullopt, system, L"")),
            (std::vector<std::string>{"dead.test:1", "direct", "alive.test:2"}));
  EXPECT_TRUE(download::ProxyRouteFor(
                  std::nullopt, [] { return std::vector<hftp::ProxyInfo>(); }, L"u:p")
                  .empty());  // the environment's
}

TEST(ProxyRoute, TheLastProxyThatCouldNotBeReachedIsNamedAndTheRouteShown) {
  DownloadOutcome refused;
  refused.result = DownloadResult::ProxyUnreachable;
  refused.detail = "Failed to connect to 127.0.0.1 port 9";
  const DownloadOutcome last = download::NamingTheProxy(refused, Proxy("127.0.0.1:9"));
  EXPECT_EQ(last.result, DownloadResult::ProxyUnreachable);
  EXPECT_EQ(last.detail, "127.0.0.1:9: Failed to connect to 127.0.0.1 port 9");
  EXPECT_EQ(download::RouteText(Proxy("p.test:1")), L"p.test:1");
  EXPECT_EQ(download::RouteText(hftp::DirectConnection()), L"direct");
  EXPECT_EQ(download::RouteText(std::nullopt), L"");
}

}  // namespace
