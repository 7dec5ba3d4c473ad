// The revocation checks on Windows (RevocationChecker.h): crypt32's chain engine, on threads that
// nobody waits for (tools/DetachedThread.h).
// CERT_CHAIN_PARA's retrieval limit is one of its "extra" fields, declared only on request.
#define CERT_CHAIN_PARA_HAS_EXTRA_FIELDS
#include <windows.h>
// After windows.h, which defines their types.
#include <wincrypt.h>
#define SECURITY_WIN32
#include <schannel.h>
#include <security.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "hftp/detail/RevocationChecker.h"
#include "hftp/detail/TrustedRoots.h"
#include "tools/CertificateHandles.h"
#include "tools/DetachedThread.h"

namespace hftp::detail {
namespace {

using Tools::UniqueCertChain;
using Tools::UniqueCertChainEngine;
using Tools::UniqueCertificate;
using Tools::UniqueCertStore;

// QueryContextAttributesW is secur32.dll's, which libcurl loads itself (at its first TLS
// connection, so before any connection is ready) and our DLL does not import: it is taken from the
// module libcurl loaded rather than by a static import, which would load secur32 with our DLL in
// every process, downloading or not.
QUERY_CONTEXT_ATTRIBUTES_FN_W QueryContextAttributesFunction() noexcept {
  const HMODULE secur32 = GetModuleHandleW(L"secur32.dll");
  if (secur32 == nullptr) return nullptr;
  return reinterpret_cast<QUERY_CONTEXT_ATTRIBUTES_FN_W>(
      reinterpret_cast<void*>(GetProcAddress(secur32, "QueryContextAttributesW")));
}

// The certificate the server presented on the connection: Schannel keeps it in the security
// context that libcurl hands out (CURLINFO_TLS_SSL_PTR: a CtxtHandle*), with the server's other
// certificates in its store. libcurl reads it the same way for its own verification.
UniqueCertificate ServerCertificate(CURL* handle) noexcept {
  const curl_tlssessioninfo* session = nullptr;
  if (curl_easy_getinfo(handle, CURLINFO_TLS_SSL_PTR, &session) != CURLE_OK || session == nullptr ||
      session->backend != CURLSSLBACKEND_SCHANNEL || session->internals == nullptr) {
    return UniqueCertificate();
  }
  const QUERY_CONTEXT_ATTRIBUTES_FN_W query = QueryContextAttributesFunction();
  PCCERT_CONTEXT certificate = nullptr;
  if (query == nullptr || query(static_cast<PCtxtHandle>(session->internals),
                                SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate) != SEC_E_OK) {
    return UniqueCertificate();
  }
  return UniqueCertificate(certificate);
}

// The certificates of a PEM text, in a store of their own.
UniqueCertStore StoreOfPem(std::string_view pem) {
  UniqueCertStore store(
      CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, CERT_STORE_CREATE_NEW_FLAG, nullptr));
  if (!store) return store;
  constexpr std::string_view kBegin = "-----BEGIN CERTIFICATE-----";
  constexpr std::string_view kEnd = "-----END CERTIFICATE-----";
  for (std::size_t at = pem.find(kBegin); at != std::string_view::npos; at = pem.find(kBegin, at)) {
    const std::size_t end = pem.find(kEnd, at);
    if (end == std::string_view::npos) break;
    const std::string_view block = pem.substr(at, end + kEnd.size() - at);
    at = end + kEnd.size();
    DWORD size = 0;
    if (!CryptStringToBinaryA(block.data(), static_cast<DWORD>(block.size()),
                              CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr)) {
      continue;
    }
    std::vector<BYTE> der(size);
    if (CryptStringToBinaryA(block.data(), static_cast<DWORD>(block.size()),
                             CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr)) {
      CertAddEncodedCertificateToStore(store.Get(), X509_ASN_ENCODING, der.data(), size,
                                       CERT_STORE_ADD_USE_EXISTING, nullptr);
    }
  }
  return store;
}

constexpr DWORD kRetrievalMilliseconds =
    static_cast<DWORD>(RevocationCheck::kRetrievalTimeout.count());

// The chain of `certificate` to exactly the roots the transfer trusted (TrustedRoots.h), or to the
// system's where none are given, with the revocation of every certificate but the root checked.
// Slow: it asks the revocation servers the certificates name.
Revocation CheckCertificate(const CERT_CONTEXT& certificate) {
  const std::string rootsPem = TrustedRootsPem();
  const UniqueCertStore roots = rootsPem.empty() ? UniqueCertStore() : StoreOfPem(rootsPem);
  UniqueCertChainEngine engine;
  if (roots) {
    CERT_CHAIN_ENGINE_CONFIG config{};
    config.cbSize = sizeof(config);
    config.hExclusiveRoot = roots.Get();
    config.dwUrlRetrievalTimeout = kRetrievalMilliseconds;
    HCERTCHAINENGINE created = nullptr;
    if (!CertCreateCertificateChainEngine(&config, &created)) return Revocation::Unknown;
    engine.Reset(created);
  }
  CERT_CHAIN_PARA parameters{};
  parameters.cbSize = sizeof(parameters);
  parameters.dwUrlRetrievalTimeout = kRetrievalMilliseconds;
  PCCERT_CHAIN_CONTEXT built = nullptr;
  // The server's own certificates (its intermediates) are the first place to look for issuers.
  if (!CertGetCertificateChain(engine.Get(), &certificate, nullptr, certificate.hCertStore,
                               &parameters,
                               CERT_CHAIN_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT |
                                   CERT_CHAIN_REVOCATION_ACCUMULATIVE_TIMEOUT,
                               nullptr, &built)) {
    return Revocation::Unknown;
  }
  const UniqueCertChain chain(built);
  const DWORD status = chain.Get()->TrustStatus.dwErrorStatus;
  if ((status & CERT_TRUST_IS_REVOKED) != 0) return Revocation::Revoked;
  // Trust itself was libcurl's to decide, and it did: only revocation counts here.
  if ((status & (CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION)) != 0) {
    return Revocation::Unknown;
  }
  return Revocation::Good;
}

// Starts the check of `certificate` on a thread that nobody ever waits for; a check that cannot
// be started is Unknown at once.
void Start(const std::shared_ptr<RevocationCheck>& check, const CERT_CONTEXT& certificate) {
  // Shared: the copy of the certificate goes with the thread's work, or with this call when no
  // thread starts.
  const auto copy =
      std::make_shared<UniqueCertificate>(CertDuplicateCertificateContext(&certificate));
  const bool started = Tools::RunDetached([check, copy] {
    Revocation verdict = Revocation::Unknown;
    try {
      verdict = CheckCertificate(*copy->Get());
    } catch (...) {
      // out of memory: unknown
    }
    check->Settle(verdict);
  });
  if (!started) check->Settle(Revocation::Unknown);
}

// Every certificate met in the process, by its encoded bytes, with its check: a verdict is asked
// for once, and a revoked certificate is refused for the rest of the process.
std::mutex checksMutex;
std::map<std::string, std::shared_ptr<RevocationCheck>, std::less<>> checks;  // by checksMutex

}  // namespace

std::shared_ptr<const RevocationCheck> RevocationOfConnection(CURL* handle) noexcept {
  try {
    const UniqueCertificate certificate = ServerCertificate(handle);
    if (!certificate) return nullptr;
    std::string key(reinterpret_cast<const char*>(certificate.Get()->pbCertEncoded),
                    certificate.Get()->cbCertEncoded);
    std::shared_ptr<RevocationCheck> check;
    {
      const std::lock_guard<std::mutex> lock(checksMutex);
      std::shared_ptr<RevocationCheck>& known = checks[std::move(key)];
      if (known) return known;
      known = check = std::make_shared<RevocationCheck>();
    }
    Start(check, *certificate.Get());
    return check;
  } catch (...) {
    return nullptr;  // out of memory: no check
  }
}

}  // namespace hftp::detail
