// Fuzzes the trusted-roots bundle builder with what a certificate store might hand it: any bytes,
// split into DER certificates, added and excluded.
//
// Input: one byte choosing how the rest is used (bit 0: exclude the first certificate before
// adding), then the bytes of concatenated DER certificates.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "hftp/detail/PemBundle.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

constexpr std::string_view kBegin = "-----BEGIN CERTIFICATE-----\n";
constexpr std::string_view kEnd = "-----END CERTIFICATE-----\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const bool excludeFirst = (data[0] & 1) != 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  std::size_t covered = 0;
  const auto certificates = hftp::detail::SplitDerCertificates(bytes);
  for (const std::string_view der : certificates) {
    // Each piece is one whole SEQUENCE, laid end to end from the start.
    Require(der.data() == bytes.data() + covered);
    Require(hftp::detail::DerSequenceLength(der) == der.size());
    covered += der.size();
  }
  Require(covered <= bytes.size());

  hftp::detail::PemBundle bundle;
  if (excludeFirst && !certificates.empty()) bundle.Exclude(certificates.front());
  for (const std::string_view der : certificates) {
    const std::size_t before = bundle.Text().size();
    if (!bundle.Add(der)) continue;
    // What was appended is exactly this certificate's PEM block.
    const std::string pem = hftp::detail::PemCertificate(der);
    Require(bundle.Text().compare(before, std::string::npos, pem) == 0);
    Require(pem.compare(0, kBegin.size(), kBegin) == 0);
    Require(pem.size() >= kEnd.size() &&
            pem.compare(pem.size() - kEnd.size(), kEnd.size(), kEnd) == 0);
    Require(!bundle.Add(der));  // never twice
  }
  Require(bundle.Count() <= certificates.size());
  // Arbitrary bytes never count as a certificate unless they are one whole SEQUENCE.
  if (hftp::detail::DerSequenceLength(bytes) != bytes.size()) {
    hftp::detail::PemBundle other;
    Require(!other.Add(bytes));
  }
  return 0;
}
