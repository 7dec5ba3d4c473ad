#include <windows.h>
// After windows.h, which defines its types.
#include <wincrypt.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "hftp/ForTesting.h"
#include "hftp/TrustedRootsReady.h"
#include "hftp/detail/PemBundle.h"
#include "hftp/detail/PublicRoots.h"
#include "hftp/detail/TlsOptions.h"
#include "hftp/detail/TrustedRoots.h"
#include "hftp/detail/TrustedRootsWin32.h"
#include "tools/CertificateHandles.h"
#include "tools/DetachedThread.h"
#include "tools/WindowsHandles.h"

namespace hftp::detail {
namespace {

using Tools::UniqueCertificate;
using Tools::UniqueCertStore;

struct SystemStore {
  DWORD location;
  const wchar_t* name;
};

// Where Windows keeps the roots it trusts. The local machine's stores include the roots that
// group policy and enterprise enrolment put there.
constexpr SystemStore kRootStores[] = {
    {CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT"},
    {CERT_SYSTEM_STORE_LOCAL_MACHINE, L"AUTHROOT"},
    {CERT_SYSTEM_STORE_CURRENT_USER, L"ROOT"},
};
constexpr SystemStore kDistrustedStores[] = {
    {CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Disallowed"},
    {CERT_SYSTEM_STORE_CURRENT_USER, L"Disallowed"},
};

// A store that does not exist is skipped, not created.
UniqueCertStore OpenStore(const SystemStore& store) noexcept {
  return UniqueCertStore(CertOpenStore(
      CERT_STORE_PROV_SYSTEM_W, 0, 0,
      store.location | CERT_STORE_READONLY_FLAG | CERT_STORE_OPEN_EXISTING_FLAG, store.name));
}

std::string_view EncodedBytes(const CERT_CONTEXT& certificate) noexcept {
  return {reinterpret_cast<const char*>(certificate.pbCertEncoded), certificate.cbCertEncoded};
}

template <typename Visit>
void ForEachCertificate(HCERTSTORE store, Visit visit) {
  // Each enumeration step frees the context it is given; `current` owns the one in hand, so a
  // throwing visit frees it too.
  UniqueCertificate current(CertEnumCertificatesInStore(store, nullptr));
  while (current) {
    visit(*current.Get());
    current.Reset(CertEnumCertificatesInStore(store, current.Release()));
  }
}

bool NamesServerAuthentication(const CERT_ENHKEY_USAGE& usage) noexcept {
  for (DWORD i = 0; i < usage.cUsageIdentifier; ++i) {
    if (std::strcmp(usage.rgpszUsageIdentifier[i], szOID_PKIX_KP_SERVER_AUTH) == 0) return true;
  }
  return false;
}

// The enhanced key usage property: the purposes an administrator left the root. Without one it is
// good for every purpose its own extensions allow; one that cannot be read counts as a
// restriction. crypt32 decodes the list into the caller's buffer, aligned here for its pointers.
bool UsagePropertyAllowsServerAuthentication(const CERT_CONTEXT& certificate) {
  constexpr DWORD kPropertyOnly = CERT_FIND_PROP_ONLY_ENHKEY_USAGE_FLAG;
  DWORD size = 0;
  if (!CertGetEnhancedKeyUsage(&certificate, kPropertyOnly, nullptr, &size)) {
    return GetLastError() == static_cast<DWORD>(CRYPT_E_NOT_FOUND);
  }
  std::vector<void*> buffer(size / sizeof(void*) + 1);
  auto* const usage = reinterpret_cast<CERT_ENHKEY_USAGE*>(buffer.data());
  SetLastError(0);
  if (!CertGetEnhancedKeyUsage(&certificate, kPropertyOnly, usage, &size)) {
    return GetLastError() == static_cast<DWORD>(CRYPT_E_NOT_FOUND);
  }
  // An empty list means every purpose only when crypt32 says it found no property; otherwise it
  // is "Disable all purposes".
  if (usage->cUsageIdentifier == 0) return GetLastError() == static_cast<DWORD>(CRYPT_E_NOT_FOUND);
  return NamesServerAuthentication(*usage);
}

// The disallowed usage property: the encoded purposes the root must no longer vouch for. Windows
// may pair it with a date (CERT_DISALLOWED_FILETIME_PROP_ID) and distrust only certificates
// issued after it; a CA blob cannot say that, so the root is left out altogether.
bool DisallowedUsageAllowsServerAuthentication(const CERT_CONTEXT& certificate) {
  DWORD size = 0;
  if (!CertGetCertificateContextProperty(&certificate, CERT_DISALLOWED_ENHKEY_USAGE_PROP_ID,
                                         nullptr, &size)) {
    return GetLastError() == static_cast<DWORD>(CRYPT_E_NOT_FOUND);
  }
  std::vector<BYTE> encoded(size);
  if (!CertGetCertificateContextProperty(&certificate, CERT_DISALLOWED_ENHKEY_USAGE_PROP_ID,
                                         encoded.data(), &size)) {
    return false;
  }
  CERT_ENHKEY_USAGE* decoded = nullptr;
  DWORD decodedSize = 0;
  if (!CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ENHANCED_KEY_USAGE, encoded.data(), size,
                           CRYPT_DECODE_ALLOC_FLAG, nullptr, &decoded, &decodedSize)) {
    return false;
  }
  const Tools::UniqueLocalMemory<CERT_ENHKEY_USAGE*> owner(decoded);
  return !NamesServerAuthentication(*decoded);
}

// libcurl rejects the whole blob at the first certificate crypt32 cannot read, so each built-in
// one is read here first.
bool Crypt32Reads(std::string_view der) noexcept {
  const UniqueCertificate certificate(
      CertCreateCertificateContext(X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                   static_cast<DWORD>(der.size())));
  return certificate.IsValid();
}

std::string GatherSystemRootsPem() {
  std::vector<UniqueCertStore> owners;
  const auto handles = [&](const auto& locations) {
    std::vector<HCERTSTORE> stores;
    for (const SystemStore& location : locations) {
      UniqueCertStore store = OpenStore(location);
      if (!store) continue;
      stores.push_back(store.Get());
      owners.push_back(std::move(store));
    }
    return stores;
  };
  const std::vector<HCERTSTORE> distrusted = handles(kDistrustedStores);
  const std::vector<HCERTSTORE> roots = handles(kRootStores);
  return GatherRootsPem(distrusted, roots, PublicRootsDer());
}

// The text and the blob that points into it, for the life of the process: libcurl does not copy
// the blob for each transfer.
class Roots {
 public:
  explicit Roots(std::string pem)
      : pem_(std::move(pem)), blob_{pem_.data(), pem_.size(), CURL_BLOB_NOCOPY} {}
  Roots(const Roots&) = delete;
  Roots& operator=(const Roots&) = delete;

  const curl_blob* Blob() const noexcept { return pem_.empty() ? nullptr : &blob_; }

 private:
  std::string pem_;
  curl_blob blob_;
};

bool StoreAllowsServerAuthentication(const CERT_CONTEXT& certificate) {
  return UsagePropertyAllowsServerAuthentication(certificate) &&
         DisallowedUsageAllowsServerAuthentication(certificate);
}

}  // namespace

std::string GatherRootsPem(const std::vector<HCERTSTORE>& distrusted,
                           const std::vector<HCERTSTORE>& roots, std::string_view builtInDer) {
  PemBundle bundle;
  for (HCERTSTORE store : distrusted) {
    ForEachCertificate(store, [&](const CERT_CONTEXT& c) { bundle.Exclude(EncodedBytes(c)); });
  }
  // All restrictions first: an unrestricted copy in another store must not win.
  for (HCERTSTORE store : roots) {
    ForEachCertificate(store, [&](const CERT_CONTEXT& c) {
      if (!StoreAllowsServerAuthentication(c)) bundle.Exclude(EncodedBytes(c));
    });
  }
  for (HCERTSTORE store : roots) {
    ForEachCertificate(store, [&](const CERT_CONTEXT& c) { bundle.Add(EncodedBytes(c)); });
  }
  for (const std::string_view der : SplitDerCertificates(builtInDer)) {
    if (Crypt32Reads(der)) bundle.Add(der);
  }
  return bundle.Text();
}

namespace {

std::atomic<bool> rootsBuilt{false};
// A gathering has run to its end, whatever it gave: TrustedRootsReadyFor waits for nothing more.
std::atomic<bool> rootsSettled{false};
std::once_flag gatheringStarted;
// Milliseconds the gathering waits first: zero, but for a test that plays a slow machine
// (ScopedRootsGatheringDelayForTesting).
std::atomic<std::int64_t> addedGatheringDelay{0};

std::string GatheredRootsPem() {
  if (const auto delay = addedGatheringDelay.load(); delay > 0) ::Sleep(static_cast<DWORD>(delay));
  return GatherSystemRootsPem();
}

void SettleTrustedRoots() noexcept {
  PlatformTrustedRoots();
  rootsSettled.store(true);
}

}  // namespace

const curl_blob* PlatformTrustedRoots() noexcept {
  try {
    static const Roots roots(GatheredRootsPem());
    rootsBuilt.store(true);
    return roots.Blob();
  } catch (...) {
    return nullptr;  // out of memory: Schannel's own validation is the fallback
  }
}

ScopedRootsGatheringDelayForTesting::ScopedRootsGatheringDelayForTesting(
    std::chrono::milliseconds delay) noexcept
    : previous_(std::chrono::milliseconds(addedGatheringDelay.exchange(delay.count()))) {}

ScopedRootsGatheringDelayForTesting::~ScopedRootsGatheringDelayForTesting() {
  addedGatheringDelay.store(previous_.count());
}

bool PlatformTrustedRootsBuiltForTesting() noexcept {
  return rootsBuilt.load();
}

}  // namespace hftp::detail

namespace hftp {

bool TrustedRootsReadyFor(std::wstring_view url) noexcept {
  if (!detail::StartsOnHttps(url) || detail::rootsSettled.load()) return true;
  try {
    std::call_once(detail::gatheringStarted, [] {
      // Without a thread of its own the gathering runs here, as the factory would run it.
      if (!Tools::RunDetached(&detail::SettleTrustedRoots)) detail::SettleTrustedRoots();
    });
  } catch (...) {
    detail::SettleTrustedRoots();  // the once flag could not be taken: gather here
  }
  return detail::rootsSettled.load();
}

}  // namespace hftp
