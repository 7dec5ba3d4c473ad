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
// - Revocation is not checked in the handshake: the engine checks it beside the transfer, where
//   a revocation server that cannot be reached or is slow holds no one (hftp/RevocationCheck.h).
// - The trusted roots: TrustedRoots.h. Building them is slow the first time (the machine's stores
//   exported, the built-in roots parsed): PrepareTls builds them on the thread that creates a
//   transfer starting on https, before the transfer exists (unless a caller who must stay
//   responsive had them gathered beforehand: hftp/TrustedRootsReady.h), so that the shared worker
//   that configures it (and runs every other pooled transfer) finds them ready. A transfer that
//   starts on http needs them only once a redirect leads it elsewhere, and most never are
//   redirected: its header handler calls PrepareRedirect at each redirect response, before libcurl
//   follows, so a plain http download never pays for them.
//
// Thread rules: may be called from any thread, for a handle that thread owns.

#include <curl/curl.h>

#include <string_view>

namespace hftp::detail {

void ConfigureTls(CURL* handle, std::string_view url) noexcept;

// For a transfer that started on http and got a redirect response: the trusted roots, before
// libcurl follows the redirect (perhaps to https). Called from inside the header handler.
void PrepareRedirect(CURL* handle) noexcept;

// "https" when `url` starts with the https scheme (in any case), else "http,https".
const char* RedirectProtocols(std::string_view url) noexcept;

// Whether `url` starts with the https scheme, in any case.
bool StartsOnHttps(std::string_view url) noexcept;
bool StartsOnHttps(std::wstring_view url) noexcept;

// For a transfer of `url` about to be created: builds the trusted roots now when it starts on
// https (once per process; later calls cost nothing).
void PrepareTls(std::string_view url) noexcept;

}  // namespace hftp::detail
