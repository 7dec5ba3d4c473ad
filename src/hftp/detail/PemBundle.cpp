#include "hftp/detail/PemBundle.h"

#include <cstdint>

namespace hftp::detail {
namespace {

constexpr unsigned char kSequenceTag = 0x30;
constexpr std::size_t kPemLineLength = 64;
constexpr char kBase64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t count = bytes.size() - i < 3 ? bytes.size() - i : 3;
    std::uint32_t group = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      const auto byte = k < count ? static_cast<unsigned char>(bytes[i + k]) : 0u;
      group = (group << 8) | byte;
    }
    for (std::size_t k = 0; k < 4; ++k) {
      out.push_back(k <= count ? kBase64Digits[(group >> (18 - 6 * k)) & 0x3F] : '=');
    }
  }
  return out;
}

}  // namespace

std::size_t DerSequenceLength(std::string_view bytes) noexcept {
  if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != kSequenceTag) return 0;
  const auto first = static_cast<unsigned char>(bytes[1]);
  std::size_t header = 2;
  std::size_t content = first;
  if (first & 0x80) {
    // Long form: the low bits count the length bytes that follow. 0 (indefinite length) is not
    // DER, and more than four bytes would be a certificate beyond any real size.
    const std::size_t lengthBytes = first & 0x7Fu;
    if (lengthBytes == 0 || lengthBytes > 4 || bytes.size() < 2 + lengthBytes) return 0;
    content = 0;
    for (std::size_t k = 0; k < lengthBytes; ++k) {
      content = (content << 8) | static_cast<unsigned char>(bytes[2 + k]);
    }
    header += lengthBytes;
  }
  if (content > bytes.size() - header) return 0;
  return header + content;
}

std::vector<std::string_view> SplitDerCertificates(std::string_view bytes) {
  std::vector<std::string_view> certificates;
  while (!bytes.empty()) {
    const std::size_t length = DerSequenceLength(bytes);
    if (length == 0) break;
    certificates.push_back(bytes.substr(0, length));
    bytes.remove_prefix(length);
  }
  return certificates;
}

std::string PemCertificate(std::string_view der) {
  const std::string body = Base64(der);
  std::string pem = "-----BEGIN CERTIFICATE-----\n";
  for (std::size_t at = 0; at < body.size(); at += kPemLineLength) {
    pem.append(body, at, kPemLineLength);
    pem.push_back('\n');
  }
  pem += "-----END CERTIFICATE-----\n";
  return pem;
}

void PemBundle::Exclude(std::string_view der) {
  excluded_.emplace(der);
}

bool PemBundle::Add(std::string_view der) {
  if (der.empty() || DerSequenceLength(der) != der.size()) return false;
  if (excluded_.find(der) != excluded_.end()) return false;
  if (!added_.emplace(der).second) return false;
  text_ += PemCertificate(der);
  return true;
}

}  // namespace hftp::detail
