#pragma once
// The way a download goes out: the proxies it tries in order, and when a failed transfer moves on
// to the next of them within the same attempt (as browsers do).
//
//   std::vector<hftp::ProxyInfo> route =
//       download::ProxyRouteFor(options.proxy, [&] { return hftp::SystemProxiesFor(url); },
//                               L"u:pw");
//   for (const hftp::ProxyInfo& entry : route) {
//     ... transfer with options.proxy = entry ...
//     if (outcome.result != download::DownloadResult::ProxyUnreachable) return outcome;
//   }
//   return download::NamingTheProxy(outcome, route.back());   // none could be reached
//
// Pure functions: thread-safe.

#include "download/Outcome.h"
#include "hftp/ProxyInfo.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace download {

// The script's proxy (/PROXY) when it named one, else the system's route for the URL, asked only
// then. Empty: no route of its own, the engine's default (libcurl's environment variables).
// `credentials` ("user:password", /PROXYAUTH) go to every proxy of the route.
std::vector<hftp::ProxyInfo> ProxyRouteFor(
    const std::optional<hftp::ProxyInfo>& scriptProxy,
    const std::function<std::vector<hftp::ProxyInfo>()>& systemRoute,
    const std::wstring& credentials);

// `outcome` (DownloadResult::ProxyUnreachable) of the last proxy of a route that none could be
// connected to, its detail naming that proxy: "host:port: <libcurl's words>".
DownloadOutcome NamingTheProxy(const DownloadOutcome& outcome, const hftp::ProxyInfo& entry);

// "direct", or the proxy's "host:port" (what @PROXY@ shows); empty without a route of our own.
std::wstring RouteText(const std::optional<hftp::ProxyInfo>& entry);

}  // namespace download
