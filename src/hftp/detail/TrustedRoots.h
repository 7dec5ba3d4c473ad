#pragma once
// The root certificates that TLS transfers trust.
//
//   hftp::detail::ApplyTrustedRoots(handle);  // while configuring a transfer
//
// Windows: one PEM blob (CURLOPT_CAINFO_BLOB), built at the first call and kept for the process:
// the certificates of the local machine's ROOT and AUTHROOT stores and of the current user's ROOT
// store (so roots an administrator or a company installed are trusted, a TLS-inspecting proxy's
// among them), then the public roots built into the library (PublicRoots.h), because Windows
// fetches many of those only when it first needs one. Each certificate appears once, and none
// that a Disallowed store lists or whose root store restricts it to other purposes than server
// authentication (TrustedRootsWin32.h). Given a blob, libcurl builds the chain with crypt32 against
// exactly these roots and matches the host name itself; Schannel's automatic validation is not
// used (under wine it accepts any certificate).
// Elsewhere: nothing is set, and libcurl uses the system's CA bundle.
//
// Tests may name one PEM file to be trusted instead, on every platform
// (ScopedTrustedCaFileForTesting in hftp/ForTesting.h).
//
// Thread rules: every function may be called from any thread; the blob is built once.

#include <curl/curl.h>

#include <string>

namespace hftp::detail {

void ApplyTrustedRoots(CURL* handle) noexcept;

// The blob of the platform's trusted roots, or null where libcurl's default applies (and on
// Windows if none could be gathered, when Schannel validates as the system does).
const curl_blob* PlatformTrustedRoots() noexcept;

// The PEM text of the roots ApplyTrustedRoots gives a transfer now (the test's file, else the
// platform's blob), for checks that build a certificate's chain themselves; empty where libcurl's
// default applies or the file cannot be read.
std::string TrustedRootsPem();

}  // namespace hftp::detail
