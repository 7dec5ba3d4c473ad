#pragma once
// The TLS options every transfer sets after its peer and host verification options, whatever its
// scheme: a transfer that starts on http may be redirected to https.
//
//   hftp::detail::ConfigureTls(handle, url);
//
// - A transfer speaks http and https alone (CURLOPT_PROTOCOLS_STR), whatever else libcurl knows.
// - Redirects may switch only to RedirectProtocols(url): a transfer that starts on https stays on
//   https, so a redirect cannot downgrade it to plain http; one that starts on http may go to
//   either.
// - Revocation is checked where the backend checks it (Schannel), but a revocation server that
//   cannot be reached does not fail the download.
// - The trusted roots: TrustedRoots.h.
//
// Thread rules: may be called from any thread, for a handle that thread owns.

#include <curl/curl.h>

#include <string_view>

namespace hftp::detail {

void ConfigureTls(CURL* handle, std::string_view url) noexcept;

// "https" when `url` starts with the https scheme (in any case), else "http,https".
const char* RedirectProtocols(std::string_view url) noexcept;

}  // namespace hftp::detail
