// HTTPS through the engine's public interface: only a server that proves its name with a
// certificate from a trusted root delivers; every kind of certificate failure ends in
// StatusAccessDenied; a redirect may lead from http to https but not back; what TLS needs is
// prepared only for a transfer that starts on https.
#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <string>

#include "EngineTest.h"
#include "TransferHelpers.h"
#include "WaitingObserver.h"
#include "hftp/ForTesting.h"
#include "plugin/PluginServiceFactory.h"
#include "support/TestServer.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace hftp::test {
namespace {

using msk::test::TestServer;

// A URL as the value of a query parameter.
std::string QueryValue(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (std::isalnum(static_cast<unsigned char>(c))) {
      out.push_back(c);
    } else {
      constexpr char kHex[] = "0123456789ABCDEF";
      out += {'%', kHex[(c >> 4) & 0xF], kHex[c & 0xF]};
    }
  }
  return out;
}

class Https : public EngineTest {
 protected:
  // Trusts the test CA alone, as a machine whose ROOT store holds it (the installer tests put it
  // into wine's store and go through the platform's roots instead).
  detail::ScopedTrustedCaFileForTesting trustTestCa{TestServer::TestCaFile()};
};

TEST_F(Https, OnlyAServerWithAVerifiedCertificateDelivers) {
  constexpr std::size_t kSize = 300007;
  const std::string body = "/bytes?size=" + std::to_string(kSize);
  struct Case {
    const char* what;
    std::string url;
    int status;
  };
  const Case cases[] = {
      {"certificate for localhost from the trusted CA", TestServer::HttpsUrl("good", body),
       StatusCompleted},
      {"certificate for another host", TestServer::HttpsUrl("wrong_host", body),
       StatusAccessDenied},
      {"self-signed certificate", TestServer::HttpsUrl("self_signed", body), StatusAccessDenied},
      {"expired certificate", TestServer::HttpsUrl("expired", body), StatusAccessDenied},
      {"certificate from an unknown CA", TestServer::HttpsUrl("unknown_ca", body),
       StatusAccessDenied},
      {"http redirected to https",
       TestServer::Url("/redirect?to=" + QueryValue(TestServer::HttpsUrl("good", body))),
       StatusCompleted},
      // The roots reach a plain http transfer with its redirect: the https leg is verified.
      {"http redirected to https with a certificate from an unknown CA",
       TestServer::Url("/redirect?to=" + QueryValue(TestServer::HttpsUrl("unknown_ca", body))),
       StatusAccessDenied},
      // libcurl refuses to follow: CURLE_UNSUPPORTED_PROTOCOL.
      {"https redirected to http",
       TestServer::HttpsUrl("good", "/redirect?to=" + QueryValue(TestServer::Url(body))),
       StatusAddressError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto observer = std::make_shared<WaitingObserver>();
    auto service = CreateServiceFactory()->CreatePooledService(
        std::wstring(c.url.begin(), c.url.end()), observer, nullptr, L"", L"", 0, "");
    ASSERT_TRUE(observer->WaitForFinal());
    service.reset();
    const Notification* final = observer->Final();
    ASSERT_NE(final, nullptr);
    EXPECT_EQ(final->status, c.status) << "result code " << final->resultCode.value_or(-1);
    const std::string received = observer->Body();
    if (c.status == StatusCompleted) {
      EXPECT_EQ(received.size(), kSize);
      EXPECT_TRUE(received == PatternBytes(0, kSize)) << "the bytes differ";
    } else {
      EXPECT_EQ(received.size(), 0u);
    }
  }
}

#ifdef _WIN32
// Building the machine's roots takes long the first time; it must not happen on the shared worker,
// which runs every other transfer, nor for a transfer that starts on plain http.
TEST_F(Https, TheRootsAreBuiltByTheCreatorOfATransferThatStartsOnHttps) {
  // The roots are built once per process: only a process that has made no https transfer yet can
  // show who builds them (CTest runs each test in a process of its own; the 32-bit guest runs a
  // whole program in one).
  if (detail::PlatformTrustedRootsBuiltForTesting()) {
    GTEST_SKIP() << "an earlier test of this process built the roots";
  }
  for (const std::string& url :
       {TestServer::Url("/bytes?size=1000"), TestServer::HttpsUrl("good", "/bytes?size=1000")}) {
    SCOPED_TRACE(url);
    auto observer = std::make_shared<WaitingObserver>();
    auto service = CreateServiceFactory()->CreatePooledService(std::wstring(url.begin(), url.end()),
                                                               observer, nullptr, L"", L"", 0, "");
    // Ready as the creator returns, before the worker has configured anything.
    EXPECT_EQ(detail::PlatformTrustedRootsBuiltForTesting(), url.rfind("https", 0) == 0);
    ASSERT_TRUE(observer->WaitForFinal());
    service.reset();
    EXPECT_EQ(observer->FinalStatus(), StatusCompleted);
    // Nor did the worker build them for the plain http transfer.
    EXPECT_EQ(detail::PlatformTrustedRootsBuiltForTesting(), url.rfind("https", 0) == 0);
  }
}

// libcurl loads Windows' security packages (SSPI: secur32 and every package's set-up under it)
// when a transfer first needs them, for TLS or a sign-on at a proxy: a process that downloads
// over plain http never pays for them.
TEST_F(Https, TheSecurityPackagesAreLoadedOnlyWhenATransferNeedsThem) {
  if (::GetModuleHandleW(L"secur32.dll") != nullptr) {
    GTEST_SKIP() << "loaded before this test, by an earlier test of this process";
  }
  for (const std::string& url :
       {TestServer::Url("/bytes?size=1000"), TestServer::HttpsUrl("good", "/bytes?size=1000")}) {
    SCOPED_TRACE(url);
    EXPECT_EQ(RunGet(GetRequest(url))->FinalStatus(), StatusCompleted);
    EXPECT_EQ(::GetModuleHandleW(L"secur32.dll") != nullptr, url.rfind("https", 0) == 0);
  }
}
#endif

}  // namespace
}  // namespace hftp::test
