#pragma once
// The engine's revocation checks (hftp/RevocationCheck.h): one per server certificate for the
// process, started when a transfer's connection to an HTTPS server is ready.
//
//   // in the transfer's CURLOPT_PREREQFUNCTION, on the thread that runs it:
//   if (auto check = hftp::detail::RevocationOfConnection(handle)) {
//     if (check->Verdict() == hftp::Revocation::Revoked) return CURL_PREREQFUNC_ABORT;
//   }
//
// Windows (RevocationCheckerWin32.cpp): the server's certificate is read from the connection's
// Schannel context; a certificate not met before starts its check on a thread of its own, which
// builds its chain against the roots the transfer trusts (TrustedRoots.h) with revocation
// checking, each revocation server given RevocationCheck::kRetrievalTimeout. crypt32 may not keep
// that limit (wine's does not): nobody ever waits for the thread, which holds a reference on our
// module so that the DLL stays loaded under it until it ends. Elsewhere
// (RevocationCheckerPortable.cpp): no check, null.
//
// Thread-safety: may be called from any thread at the same time, for a handle that thread drives.

#include <curl/curl.h>

#include <memory>

#include "hftp/RevocationCheck.h"

namespace hftp::detail {

// The check of the certificate of the TLS connection `handle` has just been given; the same check
// for every transfer of that certificate. Null for a connection without TLS, where no check is
// made, or when the certificate cannot be read.
std::shared_ptr<const RevocationCheck> RevocationOfConnection(CURL* handle) noexcept;

}  // namespace hftp::detail
