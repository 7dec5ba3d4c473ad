// The query exports: SIDs, per-user folders, environment expansion and version strings. Each one
// copies its arguments, asks Tools::SystemTools and writes the answer into the caller's buffer by
// the string-out rule. A null input pointer returns at once and leaves `out` as it was; any other
// failure writes the empty string, which is the script's only sign of it.
#include "plugin/ConsoleUserFlag.h"
#include "plugin/Exports.h"
#include "plugin/StringOut.h"
#include "tools/SystemTools.h"

#include <shlobj.h>

#include <string>

namespace {

namespace SystemTools = Tools::SystemTools;

// Builds the answer with `query` and writes it. Nothing may escape into the installer: should
// building it fail (out of memory while copying the arguments), the answer is the empty string.
template <typename Query>
void WriteAnswer(wchar_t* out, Query&& query) noexcept {
  std::wstring answer;
  try {
    answer = query();
  } catch (...) {
    answer.clear();
  }
  plugin::CopyToCallerBuffer(answer, out);
}

void WriteUserFolder(const wchar_t* flagText, int folderId, wchar_t* out) noexcept {
  if (flagText == nullptr) return;
  const bool forConsoleUser = plugin::IsConsoleUserFlag(flagText);
  WriteAnswer(out, [&] { return SystemTools::GetUserFolderPath(forConsoleUser, folderId); });
}

}  // namespace

extern "C" {

void GetSid(wchar_t* out) {
  WriteAnswer(out, [] { return SystemTools::GetSessionUserSid(SystemTools::kCurrentSession); });
}

void GetForcedSid(wchar_t* out) {
  // With no session at the console the id is kCurrentSession, and the answer that of GetSid.
  WriteAnswer(out,
              [] { return SystemTools::GetSessionUserSid(SystemTools::ActiveConsoleSessionId()); });
}

void GetLocalAppData(const wchar_t* flagText, wchar_t* out) {
  WriteUserFolder(flagText, CSIDL_LOCAL_APPDATA, out);
}

// The Programs folder inside the Start menu, where shortcuts go, not the Start menu itself.
void GetUserStartMenu(const wchar_t* flagText, wchar_t* out) {
  WriteUserFolder(flagText, CSIDL_PROGRAMS, out);
}

void GetAppData(const wchar_t* flagText, wchar_t* out) {
  WriteUserFolder(flagText, CSIDL_APPDATA, out);
}

// The file-system folder behind the desktop, not the virtual desktop namespace root.
void GetDesktop(const wchar_t* flagText, wchar_t* out) {
  WriteUserFolder(flagText, CSIDL_DESKTOPDIRECTORY, out);
}

void GetCommonDesktop(const wchar_t* flagText, wchar_t* out) {
  WriteUserFolder(flagText, CSIDL_COMMON_DESKTOPDIRECTORY, out);
}

void Expand(const wchar_t* flagText, const wchar_t* text, wchar_t* out) {
  if (flagText == nullptr || text == nullptr) return;
  const bool forConsoleUser = plugin::IsConsoleUserFlag(flagText);
  WriteAnswer(out, [&] { return SystemTools::ExpandForUser(std::wstring(text), forConsoleUser); });
}

void GetInfo(const wchar_t* file, const wchar_t* key, wchar_t* out) {
  if (file == nullptr || key == nullptr) return;
  WriteAnswer(out, [&] {
    return SystemTools::GetFileVersionString(std::wstring(file), std::wstring(key));
  });
}

}  // extern "C"
