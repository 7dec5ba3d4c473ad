// Every creator of the factory, loner and pooled, reaches the server with the request it stands
// for.
#include "hftp/ServiceFactory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "EngineTest.h"
#include "TransferHelpers.h"
#include "WaitingObserver.h"
#include "plugin/PluginServiceFactory.h"
#include "support/TestServer.h"

namespace hftp::test {
namespace {

using msk::test::TestServer;

class TestFactory final : public ServiceFactory {
 public:
  ProxyInfo GetDefaultProxyInfo() const override { return defaultProxy; }
  ProxyInfo defaultProxy;
};

using Creator = std::function<std::shared_ptr<IService>(std::shared_ptr<IObserver>)>;

// Runs the created service to its final notification and releases it.
std::shared_ptr<WaitingObserver> RunToEnd(const Creator& create) {
  auto observer = std::make_shared<WaitingObserver>();
  auto service = create(observer);
  EXPECT_TRUE(observer->WaitForFinal());
  service.reset();
  return observer;
}

// The same tests for the loner creators (slots 1 to 4) and the pooled ones (5 to 8).
class FactoryCreators : public EngineTest, public ::testing::WithParamInterface<bool> {
 protected:
  bool Pooled() const { return GetParam(); }

  Creator Bytes(const std::string& path, const std::vector<unsigned char>& body) {
    return [=](std::shared_ptr<IObserver> o) {
      return Pooled()
                 ? factory.CreatePooledService(WideUrl(path), body, o, nullptr, L"", L"", 0, "")
                 : factory.CreateLonerService(WideUrl(path), body, o, nullptr, L"", L"", 0, "");
    };
  }
  Creator Text(const std::string& path, const std::string& body) {
    return [=](std::shared_ptr<IObserver> o) {
      return Pooled()
                 ? factory.CreatePooledService(WideUrl(path), body, o, nullptr, L"", L"", 0, "")
                 : factory.CreateLonerService(WideUrl(path), body, o, nullptr, L"", L"", 0, "");
    };
  }
  Creator Range(const std::string& path, std::int64_t from, std::int64_t to) {
    return [=](std::shared_ptr<IObserver> o) {
      return Pooled()
                 ? factory.CreatePooledService(WideUrl(path), from, to, o, nullptr, L"", L"", 0, "")
                 : factory.CreateLonerService(WideUrl(path), from, to, o, nullptr, L"", L"", 0, "");
    };
  }
  // Slot 8, or slot 4 with no header lines.
  Creator Plain(const std::wstring& url, const ProxyInfo* proxy = nullptr,
                const std::wstring& user = L"", const std::wstring& password = L"",
                const std::string& cookie = "") {
    return [=](std::shared_ptr<IObserver> o) {
      return Pooled() ? factory.CreatePooledService(url, o, proxy, user, password, 0, cookie)
                      : factory.CreateLonerService(url, o, proxy, user, password, 0, {}, cookie);
    };
  }

  TestFactory factory;
};

TEST_P(FactoryCreators, BodiesArePostedAndEmptyBodiesMakeAGet) {
  const std::vector<unsigned char> bytes = {'a', 0, 0xFF, '\n'};
  const std::string echoedBytes = RunToEnd(Bytes("/echo", bytes))->Body();
  EXPECT_EQ(EchoedRequestLine(echoedBytes), "POST /echo HTTP/1.1");
  EXPECT_EQ(echoedBytes.substr(echoedBytes.size() - 4), std::string("a\0\xFF\n", 4));
  EXPECT_EQ(EchoedRequestLine(RunToEnd(Bytes("/echo", {}))->Body()), "GET /echo HTTP/1.1");

  EXPECT_EQ(RunToEnd(Text("/echo/body", "some text"))->Body(), "some text");
  EXPECT_EQ(EchoedRequestLine(RunToEnd(Text("/echo", ""))->Body()), "GET /echo HTTP/1.1");
}

TEST_P(FactoryCreators, RangesFetchTheirBytesOrOnlyTheSize) {
  auto range = RunToEnd(Range("/bytes?size=5000", 100, 199));
  EXPECT_EQ(range->FinalStatus(), StatusCompleted);
  EXPECT_EQ(range->Body(), PatternBytes(100, 100));
  EXPECT_EQ(range->Final()->totalSize, 5000);

  auto size = RunToEnd(Range("/bytes?size=5000", 0, 0));
  EXPECT_EQ(size->FinalStatus(), StatusSizeKnown);
  EXPECT_EQ(size->Final()->totalSize, 5000);
}

TEST_P(FactoryCreators, UrlCredentialsAndCookieArriveInUtf8) {
  // é, €, and one character beyond 16 bits (a surrogate pair in UTF-16).
  const std::string echo =
      RunToEnd(Plain(WideUrl("/echo?name=") + L"\u00e9\u20ac\U0001F600"))->Body();
  EXPECT_EQ(EchoedRequestLine(echo),
            "GET /echo?name=\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80 HTTP/1.1");

  const auto authenticated = RunToEnd(
      Plain(WideUrl("/auth/basic?user=%C3%BCser&password=pw"), nullptr, L"\u00fcser", L"pw"));
  EXPECT_EQ(authenticated->Body(), "authenticated as \xC3\xBCser\n");

  const auto cookie =
      RunToEnd(Plain(WideUrl("/cookie"), nullptr, L"", L"", "Set-Cookie: flavour=oat; path=/"));
  EXPECT_EQ(cookie->Body(), "flavour=oat");
}

TEST_P(FactoryCreators, ANullProxyMeansTheFactorysDefault) {
  factory.defaultProxy.host = "127.0.0.1";
  factory.defaultProxy.address = TestServer::HostAndPort();
  // Resolvable only by the proxy, which answers absolute request targets itself.
  const std::string viaProxy = RunToEnd(Plain(L"http://msk-proxied.invalid/echo"))->Body();
  EXPECT_EQ(EchoedRequestLine(viaProxy), "GET http://msk-proxied.invalid/echo HTTP/1.1");

  const ProxyInfo none;
  const std::string direct = RunToEnd(Plain(WideUrl("/echo"), &none))->Body();
  EXPECT_EQ(EchoedRequestLine(direct), "GET /echo HTTP/1.1");
}

INSTANTIATE_TEST_SUITE_P(LonerAndPooled, FactoryCreators, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& param) {
                           return param.param ? "Pooled" : "Loner";
                         });

using ServiceFactoryHeaders = EngineTest;

TEST_F(ServiceFactoryHeaders, TheLonerCreatorSendsItsHeaderLinesInUtf8) {
  TestFactory factory;
  const std::vector<std::wstring> headers = {L"X-One: 1", L"X-Two: \u00fc"};
  const std::string echo =
      RunToEnd([&](std::shared_ptr<IObserver> o) {
        return factory.CreateLonerService(WideUrl("/echo"), o, nullptr, L"", L"", 0, headers, "");
      })->Body();
  EXPECT_EQ(EchoedHeader(echo, "X-One"), "1");
  EXPECT_EQ(EchoedHeader(echo, "X-Two"), "\xC3\xBC");
}

TEST_F(ServiceFactoryHeaders, TheOptionsCreatorFetchesThroughTheirProxyOrTheDefault) {
  TestFactory factory;
  factory.defaultProxy.host = "127.0.0.1";
  factory.defaultProxy.address = TestServer::HostAndPort();
  RequestOptions options;
  options.stallTimeout = std::chrono::seconds(30);
  options.connectTimeout = std::chrono::seconds(30);
  const auto observer = RunToEnd([&](std::shared_ptr<IObserver> o) {
    return factory.CreatePooledService(L"http://msk-proxied.invalid/echo", o, options);
  });
  EXPECT_EQ(observer->FinalStatus(), StatusCompleted);
  EXPECT_EQ(EchoedRequestLine(observer->Body()), "GET http://msk-proxied.invalid/echo HTTP/1.1");

  // A proxy of their own replaces the default: here none at all.
  options.proxy = ProxyInfo();
  const auto direct = RunToEnd([&](std::shared_ptr<IObserver> o) {
    return factory.CreatePooledService(WideUrl("/echo"), o, options);
  });
  EXPECT_EQ(EchoedRequestLine(direct->Body()), "GET /echo HTTP/1.1");
}

TEST(PluginServiceFactory, HasNoProxyAndOutlivesNothing) {
  std::shared_ptr<::ServiceFactory> factory = CreateServiceFactory();
  const ProxyInfo proxy = factory->GetDefaultProxyInfo();
  EXPECT_TRUE(proxy.host.empty());
  EXPECT_TRUE(proxy.address.empty());
  EXPECT_EQ(proxy.type, 0);

  auto observer = std::make_shared<WaitingObserver>();
  auto service =
      factory->CreatePooledService(WideUrl("/bytes?size=4000"), observer, nullptr, L"", L"", 0, "");
  factory.reset();  // the service does not depend on it
  ASSERT_TRUE(observer->WaitForFinal());
  service.reset();
  TearDownEngine();
  EXPECT_EQ(observer->Body(), PatternBytes(0, 4000));
}

}  // namespace
}  // namespace hftp::test
