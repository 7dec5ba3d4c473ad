#pragma once
// The first argument of the folder and expansion exports chooses whose context they answer in:
// exactly "Yes" (whole text, this letter case) means the user at the console; any other text,
// "yes", "YES", "Yes " and the empty text included, means the installer process's own user.
//
// Thread-safety: a pure function.

#include <cwchar>

namespace plugin {

inline bool IsConsoleUserFlag(const wchar_t* flagText) noexcept {
  return flagText != nullptr && std::wcscmp(flagText, L"Yes") == 0;
}

}  // namespace plugin
