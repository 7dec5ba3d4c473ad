#pragma once
// The SHA-256 digest of a file, computed by Windows' own cryptography (bcrypt; OpenSSL in the
// native builds), as lower-case hex.
//
//   std::optional<std::string> digest = Tools::SystemTools::Sha256OfFile(L"C:\\payload.exe");
//   if (digest && *digest == expected) ...
//
// The file is read from start to end through a read-only handle that lets others read and write
// it meanwhile. Absent when the file cannot be opened or read, or the platform offers no SHA-256.
//
// Thread-safety: any thread; nothing is shared.

#include <optional>
#include <string>

namespace Tools::SystemTools {

// 64 lower-case hex digits, or absent.
std::optional<std::string> Sha256OfFile(const std::wstring& path) noexcept;

}  // namespace Tools::SystemTools
