// The libcurl options a service sets, in order and with their values, as recorded through the
// setopt seam.
#include <gtest/gtest.h>

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "TransferHelpers.h"
#include "hftp/ForTesting.h"
#include "hftp/detail/Service.h"
#include "hftp/detail/TlsOptions.h"
#include "support/TestServer.h"

namespace hftp::test {
namespace {

using detail::RecordedOption;
using Kind = RecordedOption::Kind;

// One option as text, e.g. "10002 text http://x" or "20011 callback".
struct Opt {
  static std::string Long(CURLoption option, long value) {
    return Join(option, "long " + std::to_string(value));
  }
  static std::string Offset(CURLoption option, curl_off_t value) {
    return Join(option, "offset " + std::to_string(value));
  }
  static std::string Text(CURLoption option, const std::string& value) {
    return Join(option, "text " + value);
  }
  static std::string Null(CURLoption option) { return Join(option, "null"); }
  static std::string Self(CURLoption option) { return Join(option, "service"); }
  static std::string Data(CURLoption option) { return Join(option, "data"); }
  static std::string List(CURLoption option) { return Join(option, "list"); }
  static std::string Callback(CURLoption option) { return Join(option, "callback"); }
  static std::string Join(CURLoption option, const std::string& value) {
    return std::to_string(static_cast<int>(option)) + " " + value;
  }
};

std::vector<std::string> Describe(const std::vector<RecordedOption>& log, const void* service) {
  std::vector<std::string> out;
  for (const RecordedOption& o : log) {
    switch (o.kind) {
      case Kind::Long:
        out.push_back(Opt::Long(o.option, static_cast<long>(o.number)));
        break;
      case Kind::Offset:
        out.push_back(Opt::Offset(o.option, static_cast<curl_off_t>(o.number)));
        break;
      case Kind::Text:
        out.push_back(o.text ? Opt::Text(o.option, *o.text) : Opt::Null(o.option));
        break;
      case Kind::Pointer:
        out.push_back(o.pointer == service   ? Opt::Self(o.option)
                      : o.pointer == nullptr ? Opt::Null(o.option)
                                             : Opt::Data(o.option));
        break;
      case Kind::List:
        out.push_back(o.pointer == nullptr ? Opt::Null(o.option) : Opt::List(o.option));
        break;
      case Kind::Callback:
        out.push_back(o.callbackSet ? Opt::Callback(o.option) : Opt::Null(o.option));
        break;
    }
  }
  return out;
}

// The options every transfer sets, for a GET of `url` without proxy, credentials, stall limit,
// range, body, header lines or cookie.
std::vector<std::string> PlainGet(const std::string& url) {
  std::vector<std::string> options = {
      Opt::Self(CURLOPT_WRITEDATA),
      Opt::Callback(CURLOPT_WRITEFUNCTION),
      Opt::Offset(CURLOPT_INFILESIZE_LARGE, -1),
      Opt::Text(CURLOPT_URL, url),
      Opt::Long(CURLOPT_NOPROGRESS, 1),
      Opt::Long(CURLOPT_FAILONERROR, 1),
      Opt::Long(CURLOPT_UPLOAD, 0),
      Opt::Long(CURLOPT_NETRC, 0),
      Opt::Long(CURLOPT_FOLLOWLOCATION, 1),
      Opt::Long(CURLOPT_UNRESTRICTED_AUTH, 0),
      Opt::Long(CURLOPT_TRANSFERTEXT, 0),
      Opt::Null(CURLOPT_USERPWD),  // no user: reset, not "" (which sends empty credentials)
      Opt::Long(CURLOPT_TIMEOUT, 0),
      Opt::Null(CURLOPT_REFERER),
      Opt::Long(CURLOPT_AUTOREFERER, 0),
      Opt::Long(CURLOPT_SSL_VERIFYHOST, 2),
      Opt::Long(CURLOPT_MAXREDIRS, 50),
      Opt::Long(CURLOPT_CRLF, 0),
      Opt::Null(CURLOPT_QUOTE),
      Opt::Null(CURLOPT_POSTQUOTE),
      Opt::Null(CURLOPT_PREQUOTE),
      Opt::Long(CURLOPT_SSLVERSION, CURL_SSLVERSION_TLSv1_2),
      Opt::Long(CURLOPT_SSL_VERIFYPEER, 1),  // verified: an installer runs what it downloads
      Opt::Text(CURLOPT_PROTOCOLS_STR, "http,https"),
      Opt::Text(CURLOPT_REDIR_PROTOCOLS_STR, "http,https"),
      Opt::Long(CURLOPT_SSL_OPTIONS, CURLSSLOPT_NO_REVOKE),  // revocation is checked beside it
      Opt::Callback(CURLOPT_PREREQFUNCTION),  // revocation check, then OnConnected
      Opt::Self(CURLOPT_PREREQDATA),
      Opt::Long(CURLOPT_TIMECONDITION, 0),
      Opt::Long(CURLOPT_TIMEVALUE, 0),
      Opt::Null(CURLOPT_CUSTOMREQUEST),
      Opt::Long(CURLOPT_HTTPPROXYTUNNEL, 0),
      Opt::Null(CURLOPT_INTERFACE),
      Opt::Null(CURLOPT_KRBLEVEL),
      Opt::Null(CURLOPT_TELNETOPTIONS),
      Opt::Null(static_cast<CURLoption>(10076)),  // CURLOPT_RANDOM_FILE (deprecated name)
      Opt::Null(static_cast<CURLoption>(10077)),  // CURLOPT_EGDSOCKET (deprecated name)
      Opt::Long(CURLOPT_CONNECTTIMEOUT, 0),
      Opt::Text(CURLOPT_ACCEPT_ENCODING, ""),
      Opt::Long(CURLOPT_IPRESOLVE, 0),
      Opt::Long(CURLOPT_QUICK_EXIT, 1),  // a removed transfer does not join its name lookup
      Opt::Callback(CURLOPT_HEADERFUNCTION),
      Opt::Self(CURLOPT_HEADERDATA),
      Opt::Long(CURLOPT_MAXCONNECTS, 10),
      Opt::Long(CURLOPT_BUFFERSIZE, detail::Service::kReceiveBufferBytes),
      Opt::Text(CURLOPT_COOKIEFILE, ""),
      Opt::Data(CURLOPT_ERRORBUFFER),         // libcurl's words for a failure (OnTransferError)
  };
#ifdef _WIN32
  // The machine's roots and the built-in ones, for a transfer that starts on https; one that
  // starts on http gets them only with a redirect.
  if (detail::StartsOnHttps(url)) {
    const auto revocation = std::find(options.begin(), options.end(),
                                      Opt::Long(CURLOPT_SSL_OPTIONS, CURLSSLOPT_NO_REVOKE));
    options.insert(revocation + 1, Opt::Data(CURLOPT_CAINFO_BLOB));
  }
#endif
  return options;
}

using Sequence = std::vector<std::string>;

// Inserts `entries` into `sequence` right after the entry `after`.
// What a positive stall limit adds after CURLOPT_TIMEOUT: libcurl's low-speed check, and the
// service's own watch over a body that stops.
Sequence StallOptions(long seconds) {
  return {Opt::Long(CURLOPT_LOW_SPEED_TIME, seconds), Opt::Long(CURLOPT_LOW_SPEED_LIMIT, 1),
          Opt::Long(CURLOPT_NOPROGRESS, 0), Opt::Callback(CURLOPT_XFERINFOFUNCTION),
          Opt::Self(CURLOPT_XFERINFODATA)};
}

void InsertAfter(Sequence& sequence, const std::string& after, const Sequence& entries) {
  auto at = std::find(sequence.begin(), sequence.end(), after);
  ASSERT_NE(at, sequence.end()) << after;
  sequence.insert(at + 1, entries.begin(), entries.end());
}

void Replace(Sequence& sequence, const std::string& from, const std::string& to) {
  auto at = std::find(sequence.begin(), sequence.end(), from);
  ASSERT_NE(at, sequence.end()) << from;
  *at = to;
}

template <typename... Args>
Sequence Record(Args&&... args) {
  std::vector<RecordedOption> log;
  detail::ScopedOptionRecordingForTesting recording(log);
  detail::Service service(std::forward<Args>(args)...);
  return Describe(log, &service);
}

const std::string kUrl = "http://127.0.0.1:9/file.bin";

TEST(ServiceOptions, PlainGet) {
  EXPECT_EQ(Record(kUrl, nullptr, ProxyInfo(), "", "", 0, std::vector<std::string>(), ""),
            PlainGet(kUrl));
}

TEST(ServiceOptions, PostWithProxyCredentialsStallLimitHeadersAndCookie) {
  ProxyInfo proxy;
  proxy.type = CURLPROXY_SOCKS5;
  proxy.host = "proxy";
  proxy.address = "proxy:3128";
  proxy.credentials = "pu:pp";
  proxy.user = "ignored";
  const std::vector<unsigned char> body = {'a', 0, 'b'};

  Sequence expected = PlainGet(kUrl);
  InsertAfter(
      expected, Opt::Text(CURLOPT_URL, kUrl),
      {Opt::Text(CURLOPT_PROXY, "proxy:3128"), Opt::Long(CURLOPT_PROXYTYPE, CURLPROXY_SOCKS5),
       Opt::Text(CURLOPT_PROXYUSERPWD, "pu:pp"),
       Opt::Long(CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_ANY))});
  Replace(expected, Opt::Null(CURLOPT_USERPWD), Opt::Text(CURLOPT_USERPWD, "anna:pw"));
  InsertAfter(expected, Opt::Long(CURLOPT_TIMEOUT, 0), StallOptions(30));
  InsertAfter(expected, Opt::Long(CURLOPT_BUFFERSIZE, detail::Service::kReceiveBufferBytes),
              {Opt::Long(CURLOPT_POST, 1), Opt::Data(CURLOPT_POSTFIELDS),
               Opt::Long(CURLOPT_POSTFIELDSIZE, 3)});
  InsertAfter(expected, Opt::Text(CURLOPT_COOKIEFILE, ""),
              {Opt::Text(CURLOPT_COOKIELIST, "Set-Cookie: a=b")});

  EXPECT_EQ(Record(kUrl, body, nullptr, proxy, "anna", "pw", 30, "Set-Cookie: a=b"), expected);

  // A header list comes right before the cookie file.
  Sequence withHeaders = PlainGet(kUrl);
  InsertAfter(withHeaders, Opt::Long(CURLOPT_BUFFERSIZE, detail::Service::kReceiveBufferBytes),
              {Opt::List(CURLOPT_HTTPHEADER)});
  EXPECT_EQ(Record(kUrl, nullptr, ProxyInfo(), "", "", 0, std::vector<std::string>{"X-A: 1"}, ""),
            withHeaders);
}

TEST(ServiceOptions, ProxyHostDecidesWhetherProxyOptionsAreSetAndAddressHowToSignOn) {
  ProxyInfo hostOnly;
  hostOnly.host = "proxy";  // empty address: libcurl is handed an empty proxy text
  Sequence expected = PlainGet(kUrl);
  InsertAfter(expected, Opt::Text(CURLOPT_URL, kUrl),
              {Opt::Text(CURLOPT_PROXY, ""), Opt::Long(CURLOPT_PROXYTYPE, 0),
               Opt::Null(CURLOPT_PROXYUSERPWD)});  // reset: "" sends empty credentials
  EXPECT_EQ(Record(kUrl, nullptr, hostOnly, "", "", 0, std::vector<std::string>(), ""), expected);

  // Without credentials a proxy's sign-on uses the user's own (SSPI Negotiate or NTLM).
  ProxyInfo proxy;
  proxy.host = "proxy";
  proxy.address = "proxy:3128";
  Sequence signOn = PlainGet(kUrl);
  InsertAfter(
      signOn, Opt::Text(CURLOPT_URL, kUrl),
      {Opt::Text(CURLOPT_PROXY, "proxy:3128"), Opt::Long(CURLOPT_PROXYTYPE, 0),
       Opt::Text(CURLOPT_PROXYUSERPWD, ":"),
       Opt::Long(CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_NEGOTIATE | CURLAUTH_NTLM))});
  EXPECT_EQ(Record(kUrl, nullptr, proxy, "", "", 0, std::vector<std::string>(), ""), signOn);

  ProxyInfo noHost;
  noHost.address = "proxy:3128";
  noHost.credentials = "pu:pp";
  noHost.type = CURLPROXY_SOCKS4;
  EXPECT_EQ(Record(kUrl, nullptr, noHost, "", "", 0, std::vector<std::string>(), ""),
            PlainGet(kUrl));
}

TEST(ServiceOptions, CredentialsAndStallTimeout) {
  struct Case {
    const char* user;
    const char* password;
    std::int32_t stall;
    std::optional<std::string> userPassword;
    bool lowSpeed;
  };
  const Case cases[] = {
      {"anna", "pw", 0, "anna:pw", false},
      {"anna", "", -5, "anna", false},
      {"", "pw", 1, std::nullopt, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.user) + ":" + c.password);
    Sequence expected = PlainGet(kUrl);
    if (c.userPassword) {
      Replace(expected, Opt::Null(CURLOPT_USERPWD), Opt::Text(CURLOPT_USERPWD, *c.userPassword));
    }
    if (c.lowSpeed) {
      InsertAfter(expected, Opt::Long(CURLOPT_TIMEOUT, 0), StallOptions(c.stall));
    }
    EXPECT_EQ(Record(kUrl, nullptr, ProxyInfo(), c.user, c.password, c.stall,
                     std::vector<std::string>(), ""),
              expected);
  }
}

TEST(ServiceOptions, RequestOptionsSetTheStallAndConnectLimits) {
  using std::chrono::seconds;
  struct Case {
    seconds stall;
    seconds connect;
    std::optional<long> lowSpeedTime;
    long connectTimeout;
  };
  const Case cases[] = {
      {seconds(0), seconds(0), std::nullopt, 0},  // the defaults: as the other constructors
      {seconds(30), seconds(30), 30, 30},
      {seconds(-5), seconds(-5), std::nullopt, 0},
      {seconds(1LL << 40), seconds(1LL << 40), 2147483647, 2147483},  // cut to what libcurl takes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.stall.count()) + " " + std::to_string(c.connect.count()));
    RequestOptions options;
    options.stallTimeout = c.stall;
    options.connectTimeout = c.connect;
    Sequence expected = PlainGet(kUrl);
    if (c.lowSpeedTime) {
      InsertAfter(expected, Opt::Long(CURLOPT_TIMEOUT, 0), StallOptions(*c.lowSpeedTime));
    }
    Replace(expected, Opt::Long(CURLOPT_CONNECTTIMEOUT, 0),
            Opt::Long(CURLOPT_CONNECTTIMEOUT, c.connectTimeout));
    EXPECT_EQ(Record(RequestFor(kUrl, options), nullptr), expected);
  }
}

TEST(ServiceOptions, RequestOptionsAddWhatTheyAskFor) {
  struct Case {
    const char* what;
    RequestOptions options;
    std::vector<std::pair<std::string, Sequence>> insertions;  // after which entry, what
    std::vector<std::pair<std::string, std::string>> replacements;
  };
  RequestOptions timeout;
  timeout.totalTimeout = std::chrono::seconds(90);
  RequestOptions endless;
  endless.totalTimeout = std::chrono::seconds(1LL << 40);
  RequestOptions headers;
  headers.headers = {L"X-One: 1", L"X-Two: 2"};
  RequestOptions agent;
  agent.userAgent = L"MarlowSetupKit/0.1.0";
  RequestOptions resumed;
  resumed.resumeFrom = 1048576;
  RequestOptions negative;
  negative.resumeFrom = -5;
  const std::string afterCookies = Opt::Text(CURLOPT_COOKIEFILE, "");
  const Case cases[] = {
      {"defaults", RequestOptions(), {}, {}},
      {"whole-transfer limit",
       timeout,
       {},
       {{Opt::Long(CURLOPT_TIMEOUT, 0), Opt::Long(CURLOPT_TIMEOUT, 90)}}},
      {"whole-transfer limit cut",
       endless,
       {},
       {{Opt::Long(CURLOPT_TIMEOUT, 0), Opt::Long(CURLOPT_TIMEOUT, 2147483)}}},
      {"header lines",
       headers,
       {{Opt::Long(CURLOPT_BUFFERSIZE, detail::Service::kReceiveBufferBytes),
         {Opt::List(CURLOPT_HTTPHEADER)}}},
       {}},
      {"user agent",
       agent,
       {{afterCookies, {Opt::Text(CURLOPT_USERAGENT, "MarlowSetupKit/0.1.0")}}},
       {}},
      {"resumed",
       resumed,
       {{Opt::Long(CURLOPT_MAXCONNECTS, 10), {Opt::Text(CURLOPT_RANGE, "1048576-")}}},
       {}},
      {"a negative start resumes nothing", negative, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Sequence expected = PlainGet(kUrl);
    for (const auto& [after, entries] : c.insertions) InsertAfter(expected, after, entries);
    for (const auto& [from, to] : c.replacements) Replace(expected, from, to);
    EXPECT_EQ(Record(RequestFor(kUrl, c.options), nullptr), expected);
  }
}

TEST(ServiceOptions, Ranges) {
  struct Case {
    std::int64_t from;
    std::int64_t to;
    std::optional<std::string> extra;  // the option set at the range's place
  };
  const Case cases[] = {
      {100, 199, Opt::Text(CURLOPT_RANGE, "100-199")},
      {100, -1, Opt::Text(CURLOPT_RANGE, "100-")},
      {-1, 500, Opt::Text(CURLOPT_RANGE, "-500")},
      {0, 0, Opt::Long(CURLOPT_NOBODY, 1)},
      {7, -7, Opt::Long(CURLOPT_NOBODY, 1)},  // the ends sum to 0
      {-1, -1, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + ".." + std::to_string(c.to));
    Sequence expected = PlainGet(kUrl);
    if (c.extra) InsertAfter(expected, Opt::Long(CURLOPT_MAXCONNECTS, 10), {*c.extra});
    EXPECT_EQ(Record(kUrl, c.from, c.to, nullptr, ProxyInfo(), "", "", 0, ""), expected);
  }
}

TEST(ServiceOptions, ATransferThatStartsOnHttpsIsRedirectedOnlyToHttps) {
  const std::pair<std::string, std::string> cases[] = {
      {"https://127.0.0.1:9/file.bin", "https"},
      {"HTTPS://127.0.0.1:9/file.bin", "https"},
      {"http://127.0.0.1:9/file.bin", "http,https"},
      {"127.0.0.1:9/file.bin", "http,https"},  // libcurl guesses http
      {"httpsx://127.0.0.1:9/file.bin", "http,https"},
  };
  for (const auto& [url, protocols] : cases) {
    SCOPED_TRACE(url);
    Sequence expected = PlainGet(url);
    Replace(expected, Opt::Text(CURLOPT_REDIR_PROTOCOLS_STR, "http,https"),
            Opt::Text(CURLOPT_REDIR_PROTOCOLS_STR, protocols));
    EXPECT_EQ(Record(url, nullptr, ProxyInfo(), "", "", 0, std::vector<std::string>(), ""),
              expected);
  }
}

TEST(ServiceOptions, ReceiveSpeedLimitIsAskedForEveryBlock) {
  for (const std::uint32_t limit : {200u * 1024u, IObserver::kUnlimited}) {
    SCOPED_TRACE(limit);
    auto observer = std::make_shared<RecordingObserver>();
    observer->speedLimit = limit;
    std::vector<RecordedOption> log;
    {
      detail::ScopedOptionRecordingForTesting recording(log);
      // Chunked in 1000-byte pieces: libcurl hands each piece over on its own.
      RunGet(GetRequest{msk::test::TestServer::Url("/bytes?size=20000&chunked=1&chunk=1000")},
             observer);
    }
    std::size_t applied = 0;
    for (const RecordedOption& o : log) {
      if (o.option != CURLOPT_MAX_RECV_SPEED_LARGE) continue;
      ++applied;
      EXPECT_EQ(o.kind, Kind::Offset);
      EXPECT_EQ(o.number, static_cast<std::int64_t>(limit));  // never sign-extended to -1
    }
    EXPECT_EQ(applied, observer->All().size() - 1);  // once per data chunk
    EXPECT_GE(applied, 5u);
  }
}

TEST(ServiceOptions, AReceiveSpeedLimitChangedMidTransferAppliesFromTheNextBlock) {
  // Unlimited until the first block has arrived, then 500,000 bytes a second.
  class Throttling final : public RecordingObserver {
   public:
    bool OnDataChunk(const IDataAccessor& data, const IDownloadStatus& status) override {
      speedLimit = 500000;
      return RecordingObserver::OnDataChunk(data, status);
    }
  };
  auto observer = std::make_shared<Throttling>();
  std::vector<RecordedOption> log;
  {
    detail::ScopedOptionRecordingForTesting recording(log);
    RunGet(GetRequest{msk::test::TestServer::Url("/bytes?size=20000&chunked=1&chunk=1000")},
           observer);
  }
  std::vector<std::int64_t> applied;
  for (const RecordedOption& o : log) {
    if (o.option == CURLOPT_MAX_RECV_SPEED_LARGE) applied.push_back(o.number);
  }
  ASSERT_GE(applied.size(), 5u);
  std::vector<std::int64_t> expected(applied.size(), 500000);
  expected.front() = IObserver::kUnlimited;
  EXPECT_EQ(applied, expected);
  EXPECT_EQ(observer->Body(), PatternBytes(0, 20000));
}

}  // namespace
}  // namespace hftp::test
