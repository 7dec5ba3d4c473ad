#include "tools/detail/VersionQueryPath.h"

namespace Tools::SystemTools::detail {
namespace {

void AppendHex4(std::wstring& text, std::uint16_t value) {
  constexpr wchar_t kDigits[] = L"0123456789abcdef";
  for (int shift = 12; shift >= 0; shift -= 4) {
    text += kDigits[(value >> shift) & 0xF];
  }
}

}  // namespace

std::wstring StringTablePath(std::uint16_t languageId, std::uint16_t codePage,
                             const std::wstring& key) {
  std::wstring path = L"\\StringFileInfo\\";
  path.reserve(path.size() + 9 + key.size());
  AppendHex4(path, languageId);
  AppendHex4(path, codePage);
  path += L'\\';
  path += key;
  return path;
}

}  // namespace Tools::SystemTools::detail
