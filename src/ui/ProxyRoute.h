#pragma once
// The way a download goes out: the proxies it tries in order, and when a failed transfer moves on
// to the next of them within the same attempt (as browsers do).
//
//   std::vector<hftp::ProxyInfo> route =
//       ui::ProxyRouteFor(options.proxy, [&] { return hftp::SystemProxiesFor(url); }, "u:pw");
//   for (const hftp::ProxyInfo& entry : route) {
//     ... transfer with options.proxy = entry ...
//     if (!ui::IsProxyUnreachable(outcome, entry)) return outcome;   // else: the next entry
//   }
//   return ui::ProxyUnreachable(outcome, route.back());              // none could be reached
//
// Pure functions: thread-safe.

#include "hftp/ProxyInfo.h"
#include "ui/DownloadOutcome.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ui {

// The script's proxy (/PROXY) when it named one, else the system's route for the URL, asked only
// then. Empty: no route of its own, the engine's default (libcurl's environment variables).
// `credentials` ("user:password", /PROXYAUTH) go to every proxy of the route.
std::vector<hftp::ProxyInfo> ProxyRouteFor(
    const std::optional<hftp::ProxyInfo>& scriptProxy,
    const std::function<std::vector<hftp::ProxyInfo>()>& systemRoute,
    const std::string& credentials);

// Whether a transfer through `entry` ended because its proxy could not be connected to: its name
// not found, the connection refused or not made in time. A direct entry never is.
bool IsProxyUnreachable(const DownloadOutcome& outcome, const hftp::ProxyInfo& entry) noexcept;

// `outcome` of the last proxy of a route that none could be connected to, naming that proxy.
DownloadOutcome ProxyUnreachable(const DownloadOutcome& outcome, const hftp::ProxyInfo& entry);

// "direct", or the proxy's "host:port" (what @PROXY@ shows); empty without a route of our own.
std::wstring RouteText(const std::optional<hftp::ProxyInfo>& entry);

}  // namespace ui
