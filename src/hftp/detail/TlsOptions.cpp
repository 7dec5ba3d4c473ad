#include "hftp/detail/TlsOptions.h"

#include <algorithm>
#include <cctype>

#include "hftp/detail/EasyOptions.h"
#include "hftp/detail/TrustedRoots.h"

namespace hftp::detail {

namespace {

constexpr char kTransferProtocols[] = "http,https";

}  // namespace

bool StartsOnHttps(std::string_view url) noexcept {
  constexpr std::string_view kHttps = "https:";
  bool https = url.size() >= kHttps.size();
  for (std::size_t i = 0; https && i < kHttps.size(); ++i) {
    https = std::tolower(static_cast<unsigned char>(url[i])) == kHttps[i];
  }
  return https;
}

bool StartsOnHttps(std::wstring_view url) noexcept {
  // The scheme is ASCII: a wider character is no https.
  char head[6] = {};
  const std::size_t length = std::min(url.size(), sizeof head);
  for (std::size_t i = 0; i < length; ++i) {
    head[i] = url[i] < 0x80 ? static_cast<char>(url[i]) : '\0';
  }
  return StartsOnHttps(std::string_view(head, length));
}

const char* RedirectProtocols(std::string_view url) noexcept {
  return StartsOnHttps(url) ? "https" : kTransferProtocols;
}

void PrepareTls(std::string_view url) noexcept {
  if (StartsOnHttps(url)) PlatformTrustedRoots();
}

void ConfigureTls(CURL* handle, std::string_view url) noexcept {
  // Said here rather than left to how libcurl was built: a libcurl that speaks file, ftp or smb
  // as well must not let a URL or a redirect reach them.
  SetTextOption(handle, CURLOPT_PROTOCOLS_STR, kTransferProtocols);
  SetTextOption(handle, CURLOPT_REDIR_PROTOCOLS_STR, RedirectProtocols(url));
  // Schannel would ask the revocation servers inside the handshake, on the worker that runs every
  // pooled transfer; the engine asks them itself, beside the transfer (hftp/RevocationCheck.h).
  // Chain and host name are still libcurl's to verify. Other backends check no revocation anyway.
  SetLongOption(handle, CURLOPT_SSL_OPTIONS, CURLSSLOPT_NO_REVOKE);
  if (StartsOnHttps(url)) ApplyTrustedRoots(handle);
}

void PrepareRedirect(CURL* handle) noexcept {
  // libcurl takes the roots from the handle's options when it opens the next connection, which it
  // does only after the redirect response's header has been read.
  ApplyTrustedRoots(handle);
}

}  // namespace hftp::detail
