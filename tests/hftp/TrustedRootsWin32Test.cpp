// The trusted roots the Windows library hands to libcurl: every public root built into it is in
// the blob, and crypt32 reads every certificate of the blob (libcurl rejects the whole blob at the
// first one it cannot read).
#include <windows.h>
// After windows.h, which defines its types.
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "hftp/detail/PemBundle.h"
#include "hftp/detail/PublicRoots.h"
#include "hftp/detail/TrustedRoots.h"

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

}  // namespace
}  // namespace hftp::detail
