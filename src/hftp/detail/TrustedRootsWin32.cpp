#include <windows.h>
// After windows.h, which defines its types.
#include <wincrypt.h>

#include <string>
#include <string_view>
#include <utility>

#include "hftp/detail/PemBundle.h"
#include "hftp/detail/PublicRoots.h"
#include "hftp/detail/TrustedRoots.h"
#include "tools/UniqueHandle.h"

namespace hftp::detail {
namespace {

void CloseStore(HCERTSTORE store) noexcept {
  CertCloseStore(store, 0);
}
using UniqueStore = Tools::UniqueHandle<Tools::HandleTraits<HCERTSTORE, &CloseStore>>;
using UniqueCertificate =
    Tools::UniqueHandle<Tools::HandleTraits<PCCERT_CONTEXT, &CertFreeCertificateContext>>;

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
UniqueStore OpenStore(const SystemStore& store) noexcept {
  return UniqueStore(CertOpenStore(
      CERT_STORE_PROV_SYSTEM_W, 0, 0,
      store.location | CERT_STORE_READONLY_FLAG | CERT_STORE_OPEN_EXISTING_FLAG, store.name));
}

std::string_view EncodedBytes(const CERT_CONTEXT& certificate) noexcept {
  return {reinterpret_cast<const char*>(certificate.pbCertEncoded), certificate.cbCertEncoded};
}

template <typename Visit>
void ForEachCertificate(const SystemStore& location, Visit visit) {
  const UniqueStore store = OpenStore(location);
  if (!store) return;
  // Each enumeration step frees the context it is given; `current` owns the one in hand, so a
  // throwing visit frees it too.
  UniqueCertificate current(CertEnumCertificatesInStore(store.Get(), nullptr));
  while (current) {
    visit(EncodedBytes(*current.Get()));
    current.Reset(CertEnumCertificatesInStore(store.Get(), current.Release()));
  }
}

// libcurl rejects the whole blob at the first certificate crypt32 cannot read, so each built-in
// one is read here first.
bool Crypt32Reads(std::string_view der) noexcept {
  const UniqueCertificate certificate(
      CertCreateCertificateContext(X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                   static_cast<DWORD>(der.size())));
  return certificate.IsValid();
}

std::string GatherRootsPem() {
  PemBundle bundle;
  for (const SystemStore& store : kDistrustedStores) {
    ForEachCertificate(store, [&](std::string_view der) { bundle.Exclude(der); });
  }
  for (const SystemStore& store : kRootStores) {
    ForEachCertificate(store, [&](std::string_view der) { bundle.Add(der); });
  }
  for (const std::string_view der : SplitDerCertificates(PublicRootsDer())) {
    if (Crypt32Reads(der)) bundle.Add(der);
  }
  return bundle.Text();
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

}  // namespace

const curl_blob* PlatformTrustedRoots() noexcept {
  try {
    static const Roots roots(GatherRootsPem());
    return roots.Blob();
  } catch (...) {
    return nullptr;  // out of memory: Schannel's own validation is the fallback
  }
}

}  // namespace hftp::detail
