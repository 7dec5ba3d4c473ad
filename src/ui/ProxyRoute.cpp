#include "ui/ProxyRoute.h"

#include "hftp/SystemProxy.h"
#include "tools/StringTools.h"

#include <curl/curl.h>

namespace ui {

std::vector<hftp::ProxyInfo> ProxyRouteFor(
    const std::optional<hftp::ProxyInfo>& scriptProxy,
    const std::function<std::vector<hftp::ProxyInfo>()>& systemRoute,
    const std::string& credentials) {
  std::vector<hftp::ProxyInfo> route;
  if (scriptProxy) {
    route.push_back(*scriptProxy);
  } else if (systemRoute) {
    route = systemRoute();
  }
  for (hftp::ProxyInfo& entry : route) {
    if (!credentials.empty() && !hftp::IsDirect(entry)) entry.credentials = credentials;
  }
  return route;
}

bool IsProxyUnreachable(const DownloadOutcome& outcome, const hftp::ProxyInfo& entry) noexcept {
  // CannotConnect with a proxy: libcurl connects to the proxy alone (the target's name is the
  // proxy's to resolve), so a failed name lookup, refusal or connect time-out is the proxy's. A
  // failed TLS handshake is the target's, behind the tunnel.
  return !entry.host.empty() && !hftp::IsDirect(entry) &&
         outcome.result == DownloadResult::CannotConnect &&
         outcome.resultCode != CURLE_SSL_CONNECT_ERROR;
}

DownloadOutcome ProxyUnreachable(const DownloadOutcome& outcome, const hftp::ProxyInfo& entry) {
  DownloadOutcome unreachable;
  unreachable.result = DownloadResult::ProxyUnreachable;
  unreachable.detail = hftp::RouteName(entry) + ": " + outcome.detail;
  return unreachable;
}

std::wstring RouteText(const std::optional<hftp::ProxyInfo>& entry) {
  if (!entry || entry->host.empty()) return {};
  std::wstring text;
  Tools::StringTools::ConvertFromUtf8(hftp::RouteName(*entry), text);
  return text;
}

}  // namespace ui
