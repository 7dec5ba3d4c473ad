// Installs a test CA as a company installs its root: into the local machine's ROOT store of the
// wine prefix it runs in (never this host's own stores, which wine does not write).
//
//   msk_trust_test_ca.exe Z:/tmp/pki/ca.pem
//   -> exit 0 once every certificate of the PEM file is in the store; 1 on any failure, with the
//      reason on stderr.
#include <windows.h>
// After windows.h, which defines its types.
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

struct StoreCloser {
  void operator()(void* store) const noexcept { CertCloseStore(store, 0); }
};
using Store = std::unique_ptr<void, StoreCloser>;

int Fail(const char* what) {
  std::fprintf(stderr, "msk_trust_test_ca: %s (error %lu)\n", what, GetLastError());
  return 1;
}

// The DER bytes of the PEM block that starts at `at`, or none; `at` moves past it.
std::vector<BYTE> NextCertificate(const std::string& pem, std::size_t& at) {
  const std::string begin = "-----BEGIN CERTIFICATE-----", end = "-----END CERTIFICATE-----";
  const std::size_t first = pem.find(begin, at);
  const std::size_t last = first == std::string::npos ? first : pem.find(end, first);
  if (last == std::string::npos) return {};
  at = last + end.size();
  const auto* text = pem.c_str() + first;
  const auto length = static_cast<DWORD>(at - first);
  DWORD size = 0;
  if (!CryptStringToBinaryA(text, length, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr,
                            nullptr)) {
    return {};
  }
  std::vector<BYTE> der(size);
  if (!CryptStringToBinaryA(text, length, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr,
                            nullptr)) {
    return {};
  }
  der.resize(size);
  return der;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: msk_trust_test_ca.exe CA.pem\n");
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary | std::ios::ate);
  std::string pem(file ? static_cast<std::size_t>(file.tellg()) : 0, '\0');
  if (!file || !file.seekg(0).read(pem.data(), static_cast<std::streamsize>(pem.size()))) {
    return Fail("cannot read the PEM file");
  }

  const Store store(
      CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT"));
  if (!store) return Fail("cannot open the local machine's ROOT store");
  std::size_t at = 0;
  int added = 0;
  for (std::vector<BYTE> der = NextCertificate(pem, at); !der.empty();
       der = NextCertificate(pem, at)) {
    if (!CertAddEncodedCertificateToStore(store.get(), X509_ASN_ENCODING, der.data(),
                                          static_cast<DWORD>(der.size()),
                                          CERT_STORE_ADD_REPLACE_EXISTING, nullptr)) {
      return Fail("cannot add a certificate to the store");
    }
    ++added;
  }
  if (added == 0) return Fail("no certificate in the PEM file");
  std::printf("%d certificate(s) added to the local machine's ROOT store\n", added);
  return 0;
}
