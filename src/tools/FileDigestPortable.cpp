// The SHA-256 of a file outside Windows (the native builds that run the portable layers' tests):
// OpenSSL's digest.
#include "tools/FileDigest.h"

#include "tools/StringTools.h"

#include <openssl/evp.h>

#include <array>
#include <cstdio>
#include <memory>
#include <vector>

namespace Tools::SystemTools {

std::optional<std::string> Sha256OfFile(const std::wstring& path) noexcept {
  try {
    std::string native;
    if (!StringTools::ConvertToUtf8(path, native)) return std::nullopt;
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(native.c_str(), "rb"),
                                                               &std::fclose);
    const std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> context(EVP_MD_CTX_new(),
                                                                     &EVP_MD_CTX_free);
    if (!file || !context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) {
      return std::nullopt;
    }
    std::vector<unsigned char> block(256 * 1024);
    std::size_t read = 0;
    while ((read = std::fread(block.data(), 1, block.size(), file.get())) > 0) {
      if (EVP_DigestUpdate(context.get(), block.data(), read) != 1) return std::nullopt;
    }
    if (std::ferror(file.get())) return std::nullopt;
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int size = 0;
    if (EVP_DigestFinal_ex(context.get(), digest.data(), &size) != 1) return std::nullopt;
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < size; ++i) {
      text += kDigits[digest[i] >> 4];
      text += kDigits[digest[i] & 0xF];
    }
    return text;
  } catch (...) {
    return std::nullopt;
  }
}

}  // namespace Tools::SystemTools
