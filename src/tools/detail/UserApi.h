#pragma once
// The seam between the user queries (UserIdentity, UserContext) and the session, security, shell
// and user-environment functions of Windows.
//
// Entries typed like a platform function are that function, with its contract unchanged. The two
// text entries wrap a platform call that hands out memory of its own: they copy the text and free
// the platform's buffer before returning, so nothing crosses the seam that needs freeing.
//
// Tests start from PlatformUserApi(), replace the entries they need to script and install the copy
// with ScopedUserApiOverrideForTesting (tools/ForTesting.h).

#include <windows.h>
// windows.h first: the others rely on its types.
#include <wtsapi32.h>

#include <cstdint>
#include <string>

namespace Tools::SystemTools::detail {

struct UserApi {
  // WTSQuerySessionInformationW on the local server for a text class (WTSUserName,
  // WTSDomainName): true with the text up to its NUL in `text`, false when the query failed.
  bool (*querySessionText)(std::uint32_t sessionId, WTS_INFO_CLASS infoClass, std::wstring& text);
  DWORD(WINAPI* activeConsoleSessionId)();
  BOOL(WINAPI* queryUserToken)(ULONG sessionId, PHANDLE token);
  BOOL(WINAPI* openProcessToken)(HANDLE process, DWORD desiredAccess, PHANDLE token);
  BOOL(WINAPI* lookupAccountName)
  (LPCWSTR systemName, LPCWSTR accountName, PSID sid, LPDWORD sidSize, LPWSTR referencedDomain,
   LPDWORD referencedDomainLength, PSID_NAME_USE use);
  BOOL(WINAPI* isValidSid)(PSID sid);
  // ConvertSidToStringSidW: true with the text in `text`, false when the conversion failed or gave
  // no text.
  bool (*sidToString)(PSID sid, std::wstring& text);
  HRESULT(WINAPI* getFolderPath)(HWND owner, int folderId, HANDLE token, DWORD flags, LPWSTR path);
  BOOL(WINAPI* expandEnvironmentStringsForUser)
  (HANDLE token, LPCWSTR source, LPWSTR destination, DWORD size);
};

const UserApi& PlatformUserApi() noexcept;
// The platform's functions, unless a test replaced them.
const UserApi& ActiveUserApi() noexcept;

}  // namespace Tools::SystemTools::detail
