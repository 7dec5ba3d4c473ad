#include "download/ProxyRoute.h"

#include "hftp/SystemProxy.h"
#include "tools/StringTools.h"

#include <utility>

namespace download {

std::vector<hftp::ProxyInfo> ProxyRouteFor(
    const std::optional<hftp::ProxyInfo>& scriptProxy,
    const std::function<std::vector<hftp::ProxyInfo>()>& systemRoute,
    const std::wstring& credentials) {
  std::vector<hftp::ProxyInfo> route;
  if (scriptProxy) {
    route.push_back(*scriptProxy);
  } else if (systemRoute) {
    route = systemRoute();
  }
  if (credentials.empty()) return route;
  for (hftp::ProxyInfo& entry : route) {
    if (!hftp::IsDirect(entry)) entry = hftp::WithCredentials(std::move(entry), credentials);
  }
  return route;
}

DownloadOutcome NamingTheProxy(const DownloadOutcome& outcome, const hftp::ProxyInfo& entry) {
  DownloadOutcome named = outcome;
  named.result = DownloadResult::ProxyUnreachable;
  named.detail = hftp::RouteName(entry) + ": " + outcome.detail;
  return named;
}

std::wstring RouteText(const std::optional<hftp::ProxyInfo>& entry) {
  if (!entry || entry->host.empty()) return {};
  std::wstring text;
  Tools::StringTools::ConvertFromUtf8(hftp::RouteName(*entry), text);
  return text;
}

}  // namespace download
