#include "tools/UserContext.h"

#include "tools/WindowsHandles.h"
#include "tools/detail/UserApi.h"

#include <shlobj.h>

#include <algorithm>
#include <array>

namespace Tools::SystemTools {
namespace {

constexpr DWORD kBufferChars = MAX_PATH;
using PathBuffer = std::array<wchar_t, kBufferChars>;

// ExpandEnvironmentStringsForUserW builds the user's environment block from the token, which for
// that needs query, impersonate and (since Windows 7) duplicate access; with less the expansion
// fails or leaves references such as %USERNAME% unexpanded.
constexpr DWORD kExpansionTokenAccess = TOKEN_QUERY | TOKEN_IMPERSONATE | TOKEN_DUPLICATE;

// The buffer's text up to its first NUL, never reading past its end.
std::wstring TextOf(const PathBuffer& buffer) {
  return std::wstring(buffer.begin(), std::find(buffer.begin(), buffer.end(), L'\0'));
}

// The token of the user at the console. The platform hands it out only to LocalSystem.
bool OpenConsoleUserToken(const detail::UserApi& api, UniqueToken& token) {
  return api.queryUserToken(api.activeConsoleSessionId(), token.Put()) != FALSE;
}

bool OpenProcessUserToken(const detail::UserApi& api, UniqueToken& token) {
  return api.openProcessToken(::GetCurrentProcess(), kExpansionTokenAccess, token.Put()) != FALSE;
}

}  // namespace

std::wstring GetUserFolderPath(bool forConsoleUser, int folderId) noexcept {
  try {
    const detail::UserApi& api = detail::ActiveUserApi();
    PathBuffer buffer{};
    if (forConsoleUser) {
      UniqueToken token;
      // No token, no answer: the shell is not asked on behalf of somebody else.
      if (!OpenConsoleUserToken(api, token)) return {};
      api.getFolderPath(nullptr, folderId, token.Get(), SHGFP_TYPE_CURRENT, buffer.data());
    } else {
      api.getFolderPath(nullptr, folderId, nullptr, SHGFP_TYPE_CURRENT, buffer.data());
    }
    // The status is not examined: the shell may report a missing folder and still give its path.
    return TextOf(buffer);
  } catch (...) {
    return {};
  }
}

std::wstring ExpandForUser(const std::wstring& text, bool forConsoleUser) noexcept {
  try {
    const detail::UserApi& api = detail::ActiveUserApi();
    UniqueToken token;
    const bool haveToken =
        forConsoleUser ? OpenConsoleUserToken(api, token) : OpenProcessUserToken(api, token);
    // Without the user's token nothing is expanded, not even in this process's environment.
    if (!haveToken) return {};

    PathBuffer buffer{};
    const HANDLE userToken = token.Get() != nullptr ? token.Get() : INVALID_HANDLE_VALUE;
    const DWORD result = static_cast<DWORD>(
        api.expandEnvironmentStringsForUser(userToken, text.c_str(), buffer.data(), kBufferChars));
    // Windows answers TRUE or FALSE; wine answers the characters needed, terminator included. On
    // both a result that did not fit shows as 0 or as more than the buffer holds, and what is left
    // in the buffer is then a cut-off text, which is no answer to give.
    if (result == 0 || result > kBufferChars) return {};
    return TextOf(buffer);
  } catch (...) {
    return {};
  }
}

}  // namespace Tools::SystemTools
