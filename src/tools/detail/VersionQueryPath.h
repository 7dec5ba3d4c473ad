#pragma once
// The VerQueryValueW path of one value in a version resource's string table:
//   \StringFileInfo\<language><code page>\<key>
// with language id and code page as four lowercase hexadecimal digits each, as the string tables
// are named. The key is appended as it is, so keys of any length and with any characters (a '%'
// included) give a path that names exactly that key.
//
// Thread-safety: a pure function.

#include <cstdint>
#include <string>

namespace Tools::SystemTools::detail {

std::wstring StringTablePath(std::uint16_t languageId, std::uint16_t codePage,
                             const std::wstring& key);

}  // namespace Tools::SystemTools::detail
