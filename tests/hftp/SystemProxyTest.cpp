#include "hftp/SystemProxy.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using hftp::ProxyInfo;

// A route written as its entries' names and types: "direct", "proxy:3128/0".
std::vector<std::string> Names(const std::vector<ProxyInfo>& route) {
  std::vector<std::string> names;
  for (const ProxyInfo& entry : route) {
    names.push_back(hftp::IsDirect(entry)
                        ? "direct"
                        : hftp::RouteName(entry) + "/" + std::to_string(entry.type));
  }
  return names;
}

TEST(SystemProxy, TheFixedListGivesEachSchemeItsProxy) {
  struct Case {
    const char* list;
    const char* scheme;
    const char* expected;  // "" for none
  };
  const Case cases[] = {
      {"proxy:3128", "https", "proxy:3128"},
      {"http=h:1;https=s:2;socks=k:3", "http", "h:1"},
      {"http=h:1;https=s:2;socks=k:3", "https", "s:2"},
      {"HTTP=h:1 socks=k:3", "https", "k:3"},  // no https entry: the socks one
      {"http=h:1", "https", ""},
      {"http://h:1", "https", "h:1"},  // a scheme in front names no scheme of use
      {"[::1]:8080", "http", "[::1]:8080"},
      {"", "http", ""},
      {"ftp=f:21", "http", ""},
  };
  for (const Case& c : cases) {
    const auto proxy = hftp::ProxyForScheme(c.list, c.scheme);
    EXPECT_EQ(proxy ? proxy->address : "", c.expected) << c.list << " for " << c.scheme;
  }
  const auto socks = hftp::ProxyForScheme("socks=k:1080", "http");
  ASSERT_TRUE(socks);
  EXPECT_EQ(socks->type, CURLPROXY_SOCKS4);
  EXPECT_EQ(socks->host, "k");
  EXPECT_EQ(socks->port, 1080);
}

TEST(SystemProxy, TheBypassListAndTheLoopbackRule) {
  struct Case {
    const char* bypass;
    const char* host;
    bool bypassed;
  };
  const Case cases[] = {
      {"<local>", "intranet", true},
      {"<local>", "payload.test", false},
      {"*.corp.example", "files.corp.example", true},
      {"*.corp.example", "corp.example", false},
      {"*.CORP.example", "A.Corp.Example", true},
      {"10.*;payload.test", "10.1.2.3", true},
      {"10.*;payload.test", "payload.test", true},
      {"10.*, other.test", "other.test", true},
      {"10.*;payload.test", "110.1.2.3", false},
      {"<-loopback>", "localhost", false},
      {"http://mirror.test", "mirror.test", true},
      {"[::1]", "::1", true},
      {"", "anything.test", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hftp::Bypasses(c.bypass, c.host), c.bypassed) << c.bypass << " / " << c.host;
  }
  for (const char* host : {"localhost", "LocalHost", "127.0.0.1", "127.8.9.10", "::1", "[::1]"}) {
    EXPECT_TRUE(hftp::IsLoopback(host)) << host;
  }
  for (const char* host :
       {"127.0.0.1.test", "128.0.0.1", "127.0.0", "localhost.test", "::2", "", "127.0.0.256"}) {
    EXPECT_FALSE(hftp::IsLoopback(host)) << host;
  }
}

TEST(SystemProxy, APacAnswerBecomesARouteInItsOrder) {
  struct Case {
    const char* answer;
    std::vector<std::string> route;
  };
  const std::string http = "/" + std::to_string(CURLPROXY_HTTP);
  const Case cases[] = {
      {"PROXY a:1; PROXY b:2", {"a:1" + http, "b:2" + http}},
      {"PROXY a:1; DIRECT", {"a:1" + http, "direct"}},
      {"DIRECT", {"direct"}},
      {"", {"direct"}},
      {"a:1;b:2", {"a:1" + http, "b:2" + http}},  // WinHTTP's form
      {"proxy  a:1 ;; bogus x:9; SOCKS5 s:1080",
       {"a:1" + http, "s:1080/" + std::to_string(CURLPROXY_SOCKS5_HOSTNAME)}},
      {"HTTPS t:443; SOCKS k:1",
       {"t:443/" + std::to_string(CURLPROXY_HTTPS), "k:1/" + std::to_string(CURLPROXY_SOCKS4)}},
      {"bogus x:9", {"direct"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Names(hftp::ParsePacAnswer(c.answer)), c.route) << c.answer;
}

TEST(SystemProxy, TheTargetOfAUrl) {
  struct Case {
    const char* url;
    const char* scheme;
    const char* host;
  };
  const Case cases[] = {
      {"http://Payload.Test/a.exe", "http", "payload.test"},
      {"HTTPS://user:pw@host.test:8443/x?y", "https", "host.test"},
      {"http://[::1]:8080/", "http", "::1"},
      {"http://host.test", "http", "host.test"},
      {"no url", "", ""},
  };
  for (const Case& c : cases) {
    const hftp::UrlTarget target = hftp::TargetOf(c.url);
    EXPECT_EQ(target.scheme, c.scheme) << c.url;
    EXPECT_EQ(target.host, c.host) << c.url;
  }
}

// The settings decide in Windows' order: the PAC (cached per host), then the fixed list with its
// bypass and loopback rules, then nothing (the environment's).
TEST(SystemProxy, TheRouteForAUrl) {
  struct Case {
    const char* name;
    hftp::ProxySettings settings;
    const char* url;
    std::optional<std::string> pacAnswer;  // absent: the PAC cannot be run
    std::vector<std::string> route;
  };
  const std::string http = "/" + std::to_string(CURLPROXY_HTTP);
  const hftp::ProxySettings fixed{false, "", "http=p:1;https=p:2", "*.corp.example;<local>"};
  const hftp::ProxySettings pac{false, "http://wpad.test/proxy.pac", "", ""};
  const hftp::ProxySettings pacAndFixed{false, "http://wpad.test/proxy.pac", "p:1", ""};
  const Case cases[] = {
      {"fixed, http", fixed, "http://payload.test/a", std::nullopt, {"p:1" + http}},
      {"fixed, https", fixed, "https://payload.test/a", std::nullopt, {"p:2" + http}},
      {"fixed, bypassed", fixed, "http://x.corp.example/a", std::nullopt, {"direct"}},
      {"fixed, local", fixed, "http://intranet/a", std::nullopt, {"direct"}},
      {"fixed, loopback", fixed, "http://127.0.0.1:8080/a", std::nullopt, {"direct"}},
      {"fixed, loopback served",
       {false, "", "p:1", "<-loopback>"},
       "http://localhost/a",
       std::nullopt,
       {"p:1" + http}},
      {"fixed, no entry for the scheme",
       {false, "", "http=p:1", ""},
       "https://h/",
       std::nullopt,
       {"direct"}},
      {"pac", pac, "http://payload.test/a", "PROXY a:1; DIRECT", {"a:1" + http, "direct"}},
      {"pac direct", pac, "http://payload.test/a", "DIRECT", {"direct"}},
      {"pac fails, no fixed", pac, "http://payload.test/a", std::nullopt, {}},
      {"pac fails, fixed", pacAndFixed, "http://payload.test/a", std::nullopt, {"p:1" + http}},
      {"auto-detect", {true, "", "", ""}, "http://payload.test/a", "PROXY w:8", {"w:8" + http}},
      {"nothing", {}, "http://payload.test/a", "PROXY never:1", {}},
  };
  for (const Case& c : cases) {
    hftp::PacCache cache;
    int runs = 0;
    const hftp::PacRunner runPac = [&](const hftp::ProxySettings& settings,
                                       const std::string& url) {
      ++runs;
      EXPECT_EQ(settings.autoConfigUrl, c.settings.autoConfigUrl);
      EXPECT_EQ(url, c.url);
      return c.pacAnswer;
    };
    EXPECT_EQ(Names(hftp::ChooseProxies(c.settings, c.url, cache, runPac)), c.route) << c.name;
    // The second call for the host is answered from the cache, a failed run included.
    EXPECT_EQ(Names(hftp::ChooseProxies(c.settings, c.url, cache, runPac)), c.route) << c.name;
    const bool usesPac = c.settings.autoDetect || !c.settings.autoConfigUrl.empty();
    EXPECT_EQ(runs, usesPac ? 1 : 0) << c.name;
  }
}

TEST(SystemProxy, ThePacCacheKeepsHostsAndSchemesApart) {
  hftp::PacCache cache;
  const hftp::ProxySettings pac{false, "http://wpad.test/proxy.pac", "", ""};
  std::vector<std::string> asked;
  const hftp::PacRunner runPac = [&](const hftp::ProxySettings&, const std::string& url) {
    asked.push_back(url);
    return std::optional<std::string>("PROXY p:" + std::to_string(asked.size()));
  };
  for (const char* url : {"http://a.test/1", "http://a.test/2", "https://a.test/1",
                          "http://b.test/1", "http://A.TEST:80/3"}) {
    hftp::ChooseProxies(pac, url, cache, runPac);
  }
  EXPECT_EQ(asked,
            (std::vector<std::string>{"http://a.test/1", "https://a.test/1", "http://b.test/1"}));
  EXPECT_EQ(Names(hftp::ChooseProxies(pac, "http://a.test/9", cache, runPac)),
            std::vector<std::string>{"p:1/" + std::to_string(CURLPROXY_HTTP)});
  // Other settings: the PAC runs again.
  const hftp::ProxySettings otherPac{false, "http://wpad.test/other.pac", "", ""};
  hftp::ChooseProxies(otherPac, "http://a.test/1", cache, runPac);
  EXPECT_EQ(asked.size(), 4u);
}

}  // namespace

#ifdef _WIN32
// The sign-on with the user's own credentials needs libcurl built with SSPI's NTLM and Negotiate
// (scripts/mingw-curl-recipe.sh).
TEST(SystemProxy, LibcurlSignsOnThroughSspi) {
  const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  ASSERT_NE(info, nullptr);
  EXPECT_NE(info->features & CURL_VERSION_SSPI, 0);
  EXPECT_NE(info->features & CURL_VERSION_NTLM, 0);
  EXPECT_NE(info->features & CURL_VERSION_SPNEGO, 0);
}
#endif
