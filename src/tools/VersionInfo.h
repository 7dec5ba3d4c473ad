#pragma once
// One string of a file's version resource (ProductVersion, CompanyName, FileDescription...), read
// from the string table of the first language the resource's translation table lists. There is no
// fallback to another language or code page.
//
//   std::wstring version = GetFileVersionString(L"C:\\app\\app.exe", L"ProductVersion");
//
// Thread-safety: no state; may run on any thread. Never throws: a missing file, a file without a
// version resource or translation table, an absent key and an empty value all give the empty
// string.

#include <string>

namespace Tools::SystemTools {

std::wstring GetFileVersionString(const std::wstring& file, const std::wstring& key) noexcept;

}  // namespace Tools::SystemTools
