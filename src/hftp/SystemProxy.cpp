#include "hftp/SystemProxy.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <utility>

namespace hftp {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The pieces of `text` between any of `separators`, trimmed, empty ones left out.
std::vector<std::string> Split(const std::string& text, const char* separators) {
  std::vector<std::string> pieces;
  std::size_t at = 0;
  while (at <= text.size()) {
    const auto end = std::min(text.find_first_of(separators, at), text.size());
    std::string piece = Trimmed(text.substr(at, end - at));
    if (!piece.empty()) pieces.push_back(std::move(piece));
    at = end + 1;
  }
  return pieces;
}

// "host:port" (or "[::1]:port") as a proxy of `type`; a scheme in front ("http://") is dropped,
// as WinINet does. Absent without a host.
std::optional<ProxyInfo> Proxy(std::string address, std::int32_t type) {
  if (const auto scheme = address.find("://"); scheme != std::string::npos) {
    address.erase(0, scheme + 3);
  }
  while (!address.empty() && address.back() == '/') address.pop_back();
  if (address.empty()) return std::nullopt;
  ProxyInfo proxy;
  proxy.type = type;
  proxy.address = address;
  const auto close = address.rfind(']');
  const auto colon = address.rfind(':');
  const bool hasPort = colon != std::string::npos && (close == std::string::npos || colon > close);
  proxy.host = hasPort ? address.substr(0, colon) : address;
  if (hasPort) {
    int port = 0;
    for (const char c : address.substr(colon + 1)) {
      if (!std::isdigit(static_cast<unsigned char>(c)) || port > 65535) return std::nullopt;
      port = port * 10 + (c - '0');
    }
    proxy.port = port;
  }
  if (proxy.host.empty() || proxy.host == "[]") return std::nullopt;
  return proxy;
}

// `*` stands for any run of characters; both sides are lower case.
bool Matches(const std::string& pattern, const std::string& text) {
  std::size_t p = 0;
  std::size_t t = 0;
  std::size_t star = std::string::npos;
  std::size_t resume = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() && pattern[p] == text[t]) {
      ++p;
      ++t;
    } else if (star != std::string::npos) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::string WithoutBrackets(const std::string& host) {
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    return host.substr(1, host.size() - 2);
  }
  return host;
}

constexpr const char* kLoopbackOverride = "<-loopback>";

}  // namespace

ProxyInfo DirectConnection() {
  ProxyInfo direct;
  direct.host = "direct";  // a host with an empty address: libcurl's "" proxy, no proxy at all
  return direct;
}

bool IsDirect(const ProxyInfo& entry) noexcept {
  return entry.address.empty();
}

std::string RouteName(const ProxyInfo& entry) {
  return IsDirect(entry) ? "direct" : entry.address;
}

std::optional<ProxyInfo> ProxyForScheme(const std::string& proxyList, const std::string& scheme) {
  std::optional<ProxyInfo> anyScheme;
  std::optional<ProxyInfo> socks;
  for (const std::string& entry : Split(proxyList, "; \t")) {
    const auto equals = entry.find('=');
    if (equals == std::string::npos) {
      if (!anyScheme) anyScheme = Proxy(entry, CURLPROXY_HTTP);
      continue;
    }
    const std::string name = Lower(entry.substr(0, equals));
    const std::string address = entry.substr(equals + 1);
    if (name == scheme) {
      if (auto proxy = Proxy(address, CURLPROXY_HTTP)) return proxy;
    } else if (name == "socks" && !socks) {
      socks = Proxy(address, CURLPROXY_SOCKS4);
    }
  }
  return anyScheme ? anyScheme : socks;
}

bool Bypasses(const std::string& bypassList, const std::string& host) {
  const std::string name = Lower(WithoutBrackets(host));
  if (name.empty()) return false;
  for (std::string entry : Split(Lower(bypassList), ";, \t")) {
    if (entry == "<local>") {
      if (name.find('.') == std::string::npos && name.find(':') == std::string::npos) return true;
      continue;
    }
    if (entry == kLoopbackOverride) continue;
    if (const auto scheme = entry.find("://"); scheme != std::string::npos)
      entry.erase(0, scheme + 3);
    if (Matches(WithoutBrackets(entry), name)) return true;
  }
  return false;
}

bool IsLoopback(const std::string& host) {
  const std::string name = Lower(WithoutBrackets(host));
  if (name == "localhost" || name == "::1" || name == "0:0:0:0:0:0:0:1") return true;
  // 127.0.0.0/8 written as a dotted address
  const std::vector<std::string> parts = Split(name, ".");
  if (parts.size() != 4 || parts[0] != "127" || name.back() == '.') return false;
  return std::all_of(parts.begin(), parts.end(), [](const std::string& part) {
    return part.size() <= 3 &&
           std::all_of(part.begin(), part.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }) &&
           std::stoi(part) <= 255;
  });
}

std::vector<ProxyInfo> ParsePacAnswer(const std::string& answer) {
  struct Keyword {
    const char* name;
    std::int32_t type;
  };
  // SOCKS5 lets the proxy resolve the target's name, as browsers do.
  static const Keyword kKeywords[] = {
      {"proxy", CURLPROXY_HTTP},    {"http", CURLPROXY_HTTP},
      {"https", CURLPROXY_HTTPS},   {"socks", CURLPROXY_SOCKS4},
      {"socks4", CURLPROXY_SOCKS4}, {"socks5", CURLPROXY_SOCKS5_HOSTNAME}};
  std::vector<ProxyInfo> route;
  for (const std::string& entry : Split(answer, ";")) {
    const auto space = entry.find_first_of(" \t");
    const std::string word = Lower(entry.substr(0, space));
    if (space == std::string::npos) {
      // WinHTTP hands its list over as bare "host:port" entries.
      if (word == "direct") {
        route.push_back(DirectConnection());
      } else if (auto proxy = Proxy(entry, CURLPROXY_HTTP)) {
        route.push_back(std::move(*proxy));
      }
      continue;
    }
    for (const Keyword& keyword : kKeywords) {
      if (word != keyword.name) continue;
      if (auto proxy = Proxy(Trimmed(entry.substr(space)), keyword.type)) {
        route.push_back(std::move(*proxy));
      }
      break;
    }
  }
  if (route.empty()) route.push_back(DirectConnection());
  return route;
}

UrlTarget TargetOf(const std::string& url) {
  UrlTarget target;
  const auto scheme = url.find("://");
  if (scheme == std::string::npos) return target;
  target.scheme = Lower(url.substr(0, scheme));
  std::string authority = url.substr(scheme + 3, url.find_first_of("/?#", scheme + 3) - scheme - 3);
  if (const auto at = authority.rfind('@'); at != std::string::npos) authority.erase(0, at + 1);
  if (!authority.empty() && authority.front() == '[') {
    const auto close = authority.find(']');
    target.host = Lower(authority.substr(1, close == std::string::npos ? close : close - 1));
  } else {
    target.host = Lower(authority.substr(0, authority.find(':')));
  }
  return target;
}

std::optional<std::optional<std::string>> PacCache::Find(const std::string& host) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto found = answers_.find(host);
  if (found == answers_.end()) return std::nullopt;
  return found->second;
}

void PacCache::Store(const std::string& host, std::optional<std::string> answer) {
  const std::lock_guard<std::mutex> lock(mutex_);
  answers_[host] = std::move(answer);
}

std::vector<ProxyInfo> ChooseProxies(const ProxySettings& settings, const std::string& url,
                                     PacCache& cache, const PacRunner& runPac) {
  const UrlTarget target = TargetOf(url);
  const bool pac = settings.autoDetect || !settings.autoConfigUrl.empty();
  if (pac) {
    // A script may answer http and https differently, and the settings may change while the
    // process runs: all of it is part of the key.
    const std::string key = (settings.autoDetect ? "auto " : "") + settings.autoConfigUrl + " " +
                            target.scheme + "://" + target.host;
    std::optional<std::optional<std::string>> cached = cache.Find(key);
    if (!cached) {
      cached = runPac ? runPac(settings, url) : std::nullopt;
      cache.Store(key, *cached);
    }
    if (*cached) return ParsePacAnswer(**cached);
  }
  if (!Trimmed(settings.proxyList).empty()) {
    const bool loopbackServed =
        Lower(settings.bypassList).find(kLoopbackOverride) != std::string::npos;
    if (Bypasses(settings.bypassList, target.host) ||
        (IsLoopback(target.host) && !loopbackServed)) {
      return {DirectConnection()};
    }
    const std::optional<ProxyInfo> proxy = ProxyForScheme(settings.proxyList, target.scheme);
    return {proxy ? *proxy : DirectConnection()};
  }
  // Without a fixed proxy, a PAC that could not be had leaves it to the environment's variables
  // (on Windows almost never set: a direct connection).
  return {};
}

}  // namespace hftp
