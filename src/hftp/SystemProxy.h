#pragma once
// The proxies the machine's own settings choose for a URL, in the order to try them, as Windows'
// own clients decide: a PAC script (given by URL, or found by WPAD auto-detection) answers per
// URL; otherwise (no PAC, or none could be had in time) a fixed proxy list applies to every host
// its bypass list and the loopback rule leave to it; without either nothing is decided and
// libcurl's environment variables apply (on Windows almost never set: a direct connection).
//
//   hftp::ProxySettings settings;                    // what Windows keeps for the user
//   settings.proxyList = "http=proxy:3128;https=proxy:3129";
//   settings.bypassList = "<local>;*.corp.example";
//   hftp::PacCache cache;
//   std::vector<hftp::ProxyInfo> route =
//       hftp::ChooseProxies(settings, "https://payload.test/a.exe", cache, runPac);
//   // route: one entry, proxy:3129; empty would mean "no system setting: the environment's"
//
//   hftp::SystemProxiesFor(url);   // the same with the settings and PAC engine of this machine
//
// An entry whose address is empty is a direct connection (hftp::IsDirect); any other is a proxy
// that libcurl connects to (address "host:port", type a curl_proxytype). A caller tries the
// entries in order and moves to the next when the proxy of one cannot be connected to.
//
// Thread-safety: the parsing functions are pure; PacCache may be shared by threads;
// SystemProxiesFor may be called from any thread (it blocks up to kPacTimeLimit on a PAC fetch).

#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "hftp/ProxyInfo.h"

namespace hftp {

// The user's proxy settings as Windows keeps them (Internet Options, group policy).
struct ProxySettings {
  bool autoDetect = false;    // WPAD: find a PAC script on the network
  std::string autoConfigUrl;  // a PAC script's URL
  std::string proxyList;      // "host:port", or per scheme "http=h:p;https=h:p;socks=h:p"
  std::string bypassList;     // "<local>;*.corp.example;10.*;<-loopback>"
};

// Discovery and the PAC fetch together, before the fixed proxy (or a direct connection) applies.
inline constexpr std::chrono::seconds kPacTimeLimit{5};

// A direct connection, as a route entry and as a ProxyInfo that makes libcurl use no proxy at all
// (not even one from the environment).
ProxyInfo DirectConnection();
bool IsDirect(const ProxyInfo& entry) noexcept;
// "direct", or the proxy's "host:port".
std::string RouteName(const ProxyInfo& entry);

// The fixed list's proxy for `scheme` ("http", "https"): the entry of that scheme, else one that
// names no scheme, else the socks entry. Absent when the list has none of these.
std::optional<ProxyInfo> ProxyForScheme(const std::string& proxyList, const std::string& scheme);

// Whether the bypass list sends `host` direct: `<local>` takes names without a dot, other entries
// are names or addresses with `*` wildcards, compared without case. `<-loopback>` matches nothing.
bool Bypasses(const std::string& bypassList, const std::string& host);

// localhost, 127.0.0.0/8 and ::1, which a fixed proxy never serves unless the bypass list holds
// `<-loopback>`.
bool IsLoopback(const std::string& host);

// A PAC answer ("PROXY a:1; SOCKS b:2; DIRECT", or WinHTTP's "a:1;b:2") as route entries, in
// order; unknown entries are skipped, and an answer without any usable entry is a direct route.
std::vector<ProxyInfo> ParsePacAnswer(const std::string& answer);

// A URL's scheme ("http") and host ("payload.test", "::1"), lower case; empty when not found.
struct UrlTarget {
  std::string scheme;
  std::string host;
};
UrlTarget TargetOf(const std::string& url);

// PAC answers per host for the process: a PAC is run once per host (and scheme, and settings).
// An answer that could not be had (no script, a timeout) is kept as absent, so that it is not
// waited for again.
class PacCache {
 public:
  // Absent when `host` has no entry yet; an entry holds the answer or its absence.
  std::optional<std::optional<std::string>> Find(const std::string& host) const;
  void Store(const std::string& host, std::optional<std::string> answer);

 private:
  mutable std::mutex mutex_;
  std::map<std::string, std::optional<std::string>> answers_;
};

// Runs the PAC for a URL as `settings` name it; absent when it could not be run in time.
using PacRunner = std::function<std::optional<std::string>(const ProxySettings& settings,
                                                           const std::string& url)>;

// The route for `url`; empty when `settings` hold nothing (the environment's proxy then applies).
std::vector<ProxyInfo> ChooseProxies(const ProxySettings& settings, const std::string& url,
                                     PacCache& cache, const PacRunner& runPac);

// ChooseProxies with this machine's settings, its PAC engine and a cache for the process. Off
// Windows, and where the settings cannot be read: empty.
std::vector<ProxyInfo> SystemProxiesFor(const std::string& url);
// The same for the caller's UTF-16 url.
std::vector<ProxyInfo> SystemProxiesFor(const std::wstring& url);

}  // namespace hftp
