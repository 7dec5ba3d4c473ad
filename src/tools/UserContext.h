#pragma once
// Shell folders and environment expansion for a user: the installer process's own user, or the
// user logged on to the console session (whose token the platform hands out only to LocalSystem;
// for anybody else the console-user queries give the empty string). There is no fallback from one
// user to the other.
//
//   std::wstring programs = GetUserFolderPath(false, CSIDL_PROGRAMS);
//   std::wstring profile = ExpandForUser(L"%USERPROFILE%", true);
//
// Both work in a MAX_PATH (260-character) buffer, so results are at most 259 characters long.
//
// Thread-safety: no state; may run on any thread. Never throw: failures give the empty string.

#include <string>

namespace Tools::SystemTools {

// The current location of the shell folder `folderId` (a CSIDL value), or empty. A missing folder
// is not created.
std::wstring GetUserFolderPath(bool forConsoleUser, int folderId) noexcept;

// `text` with its %NAME% references expanded in the user's environment, or empty when the user's
// token cannot be had or the expansion fails or does not fit.
std::wstring ExpandForUser(const std::wstring& text, bool forConsoleUser) noexcept;

}  // namespace Tools::SystemTools
