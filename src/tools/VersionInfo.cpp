#include "tools/VersionInfo.h"

#include "tools/detail/VersionQueryPath.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace Tools::SystemTools {
namespace {

// One entry of \VarFileInfo\Translation, as stored.
struct Translation {
  WORD languageId;
  WORD codePage;
};

// The first entry of the translation table; false when there is none. The table is read no
// further: the first language is the one the file answers in.
bool FirstTranslation(const std::vector<BYTE>& block, Translation& first) {
  void* table = nullptr;
  UINT bytes = 0;
  if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &table, &bytes) ||
      table == nullptr || bytes < sizeof(Translation)) {
    return false;
  }
  std::memcpy(&first, table, sizeof first);
  return true;
}

// The text at `value` up to its NUL. VerQueryValueW points into the block; a value not terminated
// within the block (a damaged resource) is cut at the block's end rather than read past it.
std::wstring TextInBlock(const std::vector<BYTE>& block, const void* value) {
  const auto first = reinterpret_cast<std::uintptr_t>(block.data());
  const auto at = reinterpret_cast<std::uintptr_t>(value);
  if (at < first || at >= first + block.size()) return {};
  const auto* text = static_cast<const wchar_t*>(value);
  const std::size_t maxChars = (first + block.size() - at) / sizeof(wchar_t);
  return std::wstring(text, std::find(text, text + maxChars, L'\0'));
}

}  // namespace

std::wstring GetFileVersionString(const std::wstring& file, const std::wstring& key) noexcept {
  try {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
    // 0: no such file, unreadable, or no version resource.
    if (size == 0) return {};
    std::vector<BYTE> block(size);
    if (!::GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return {};

    Translation first{};
    if (!FirstTranslation(block, first)) return {};

    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = detail::StringTablePath(first.languageId, first.codePage, key);
    if (!::VerQueryValueW(block.data(), path.c_str(), &value, &length) || value == nullptr) {
      return {};
    }
    return TextInBlock(block, value);
  } catch (...) {
    return {};
  }
}

}  // namespace Tools::SystemTools
