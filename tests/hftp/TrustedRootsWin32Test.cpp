// The trusted roots the Windows library hands to libcurl: every public root built into it is in
// the blob, and crypt32 reads every certificate of the blob (libcurl rejects the whole blob at the
// first one it cannot read); a root that its store restricts to other purposes is not.
#include <windows.h>
// After windows.h, which defines its types.
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hftp/detail/PemBundle.h"
#include "hftp/detail/PublicRoots.h"
#include "hftp/detail/TrustedRoots.h"
#include "hftp/detail/TrustedRootsWin32.h"
#include "tools/UniqueHandle.h"

namespace hftp::detail {
namespace {

bool Crypt32ReadsPem(std::string_view pem) {
  DWORD size = 0;
  const auto length = static_cast<DWORD>(pem.size());
  if (!CryptStringToBinaryA(pem.data(), length, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr,
                            nullptr)) {
    return false;
  }
  std::string der(size, '\0');
  if (!CryptStringToBinaryA(pem.data(), length, CRYPT_STRING_BASE64HEADER,
                            reinterpret_cast<BYTE*>(der.data()), &size, nullptr, nullptr)) {
    return false;
  }
  const CERT_CONTEXT* certificate = CertCreateCertificateContext(
      X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()), size);
  if (certificate == nullptr) return false;
  CertFreeCertificateContext(certificate);
  return true;
}

TEST(TrustedRoots, HoldTheBuiltInPublicRootsInPemThatCrypt32Reads) {
  const curl_blob* blob = PlatformTrustedRoots();
  ASSERT_NE(blob, nullptr);
  const std::string_view text(static_cast<const char*>(blob->data), blob->len);

  const auto builtIn = SplitDerCertificates(PublicRootsDer());
  EXPECT_GE(builtIn.size(), 100u) << "Debian's ca-certificates holds well over 100 roots";
  for (const std::string_view der : builtIn) {
    EXPECT_NE(text.find(PemCertificate(der)), std::string_view::npos);
  }

  constexpr std::string_view kEnd = "-----END CERTIFICATE-----\n";
  std::size_t blocks = 0;
  for (std::size_t at = 0; at < text.size(); ++blocks) {
    const std::size_t end = text.find(kEnd, at);
    ASSERT_NE(end, std::string_view::npos) << "text after the last certificate";
    EXPECT_TRUE(Crypt32ReadsPem(text.substr(at, end + kEnd.size() - at))) << "block " << blocks;
    at = end + kEnd.size();
  }
  EXPECT_GE(blocks, builtIn.size());
}

void CloseStore(HCERTSTORE store) noexcept {
  CertCloseStore(store, 0);
}
using Store = Tools::UniqueHandle<Tools::HandleTraits<HCERTSTORE, &CloseStore>>;

using Usages = std::vector<const char*>;

CERT_ENHKEY_USAGE UsageOf(Usages& usages) {
  return {static_cast<DWORD>(usages.size()), const_cast<char**>(usages.data())};
}

// As an administrator restricts a root in the certificate manager: its usage property.
bool SetUsage(const CERT_CONTEXT* certificate, Usages usages) {
  CERT_ENHKEY_USAGE usage = UsageOf(usages);
  return CertSetEnhancedKeyUsage(certificate, &usage);
}

TEST(TrustedRoots, LeaveOutEveryCopyOfARootItsStoreKeepsFromServerAuthentication) {
  constexpr const char* kServer = szOID_PKIX_KP_SERVER_AUTH;
  constexpr const char* kCodeSigning = szOID_PKIX_KP_CODE_SIGNING;
  // The disallowed usage property is read too, but has no case: wine's crypt32 does not store it.
  struct Case {
    const char* what;
    std::optional<Usages> usage;
    bool trusted;
  };
  const Case cases[] = {
      {"no usage property", std::nullopt, true},
      {"usage naming server authentication", Usages{kCodeSigning, kServer}, true},
      {"code signing only", Usages{kCodeSigning}, false},
      {"disabled for all purposes", Usages{}, false},
  };
  const auto builtIn = SplitDerCertificates(PublicRootsDer());
  ASSERT_GE(builtIn.size(), std::size(cases));
  const Store roots(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
  ASSERT_TRUE(roots);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].what);
    const CERT_CONTEXT* certificate = nullptr;
    ASSERT_TRUE(CertAddEncodedCertificateToStore(
        roots.Get(), X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(builtIn[i].data()),
        static_cast<DWORD>(builtIn[i].size()), CERT_STORE_ADD_ALWAYS, &certificate));
    if (cases[i].usage) {
      EXPECT_TRUE(SetUsage(certificate, *cases[i].usage));
    }
    CertFreeCertificateContext(certificate);
  }

  // From the store alone, then with the built-in copies of the same roots behind it.
  const std::string fromStore = GatherRootsPem({}, {roots.Get()}, {});
  const std::string withBuiltIn = GatherRootsPem({}, {roots.Get()}, PublicRootsDer());
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].what);
    const std::string pem = PemCertificate(builtIn[i]);
    EXPECT_EQ(fromStore.find(pem) != std::string::npos, cases[i].trusted);
    EXPECT_EQ(withBuiltIn.find(pem) != std::string::npos, cases[i].trusted);
  }
}

}  // namespace
}  // namespace hftp::detail
