#include "tools/FileDigest.h"

#include "tools/WindowsHandles.h"

#include <windows.h>

#include <bcrypt.h>

#include <array>
#include <vector>

namespace Tools::SystemTools {
namespace {

void CloseAlgorithm(BCRYPT_ALG_HANDLE algorithm) noexcept {
  ::BCryptCloseAlgorithmProvider(algorithm, 0);
}
using UniqueAlgorithm = UniqueHandle<HandleTraits<BCRYPT_ALG_HANDLE, &CloseAlgorithm>>;
using UniqueHash = UniqueHandle<HandleTraits<BCRYPT_HASH_HANDLE, &::BCryptDestroyHash>>;

constexpr std::size_t kDigestBytes = 32;
constexpr DWORD kReadBlock = 256 * 1024;

bool Succeeded(NTSTATUS status) noexcept {
  return status >= 0;
}

std::string Hex(const std::array<unsigned char, kDigestBytes>& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(2 * digest.size());
  for (const unsigned char byte : digest) {
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 0x0F]);
  }
  return text;
}

std::optional<std::string> Digest(const std::wstring& path) {
  const UniqueKernelHandle file(::CreateFileW(
      path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return std::nullopt;

  UniqueAlgorithm algorithm;
  if (!Succeeded(
          ::BCryptOpenAlgorithmProvider(algorithm.Put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
    return std::nullopt;
  }
  // The hash object's memory comes from bcrypt itself (null buffer, supported since Windows 7).
  UniqueHash hash;
  if (!Succeeded(::BCryptCreateHash(algorithm.Get(), hash.Put(), nullptr, 0, nullptr, 0, 0))) {
    return std::nullopt;
  }

  std::vector<unsigned char> block(kReadBlock);
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file.Get(), block.data(), kReadBlock, &read, nullptr)) return std::nullopt;
    if (read == 0) break;
    if (!Succeeded(::BCryptHashData(hash.Get(), block.data(), read, 0))) return std::nullopt;
  }
  std::array<unsigned char, kDigestBytes> digest{};
  if (!Succeeded(::BCryptFinishHash(hash.Get(), digest.data(), kDigestBytes, 0))) {
    return std::nullopt;
  }
  return Hex(digest);
}

}  // namespace

std::optional<std::string> Sha256OfFile(const std::wstring& path) noexcept {
  try {
    return Digest(path);
  } catch (...) {
    return std::nullopt;  // out of memory for the read buffer
  }
}

}  // namespace Tools::SystemTools
