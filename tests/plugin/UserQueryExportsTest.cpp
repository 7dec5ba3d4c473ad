// The SID, folder and expansion exports of the built DLL, called as an installer calls them.
// Under wine the console user and the process's user are the same person, and the console token
// is handed out to anybody, so "Yes" and every other flag give the same answers here; the choice
// itself is checked against a scripted platform in ConsoleUserFlagTest.
#include "CallerBuffer.h"
#include "support/PluginHost.h"

#include <gtest/gtest.h>

#include <windows.h>
// windows.h first: the others rely on its types.
#include <sddl.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace {

using msk::test::CallerBuffer;
using msk::test::PluginHost;
using SidFn = void(__cdecl*)(wchar_t*);
using FolderFn = void(__cdecl*)(const wchar_t*, wchar_t*);
using ExpandFn = void(__cdecl*)(const wchar_t*, const wchar_t*, wchar_t*);

const wchar_t* const kFlags[] = {L"Yes", L"yes", L"YES", L"Yes ", L"", L"No"};

struct FolderExport {
  const char* name;
  int folderId;
};
const FolderExport kFolderExports[] = {{"GetLocalAppData", CSIDL_LOCAL_APPDATA},
                                       {"GetUserStartMenu", CSIDL_PROGRAMS},
                                       {"GetAppData", CSIDL_APPDATA},
                                       {"GetDesktop", CSIDL_DESKTOPDIRECTORY},
                                       {"GetCommonDesktop", CSIDL_COMMON_DESKTOPDIRECTORY}};

std::wstring ShellFolder(int folderId) {
  wchar_t path[MAX_PATH] = {};
  ::SHGetFolderPathW(nullptr, folderId, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

std::wstring ProcessUserSid() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return L"no token";
  std::vector<BYTE> user(256);
  DWORD size = 0;
  wchar_t* text = nullptr;
  std::wstring sid = L"no SID";
  if (::GetTokenInformation(token, TokenUser, user.data(), static_cast<DWORD>(user.size()),
                            &size) &&
      ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &text)) {
    sid = text;
    ::LocalFree(text);
  }
  ::CloseHandle(token);
  return sid;
}

std::wstring PlatformExpansion(const std::wstring& text) {
  std::vector<wchar_t> expanded(32768);
  ::ExpandEnvironmentStringsW(text.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
  return expanded.data();
}

TEST(UserQueryExports, NullInputsLeaveTheBufferUntouched) {
  const PluginHost host;
  for (const FolderExport& folder : kFolderExports) {
    CallerBuffer buffer;
    host.Export<FolderFn>(folder.name)(nullptr, buffer.Out());
    EXPECT_TRUE(buffer.Untouched()) << folder.name;
  }
  const auto expand = host.Export<ExpandFn>("Expand");
  CallerBuffer noFlag, noText;
  expand(nullptr, L"%TEMP%", noFlag.Out());
  expand(L"Yes", nullptr, noText.Out());
  EXPECT_TRUE(noFlag.Untouched());
  EXPECT_TRUE(noText.Untouched());
}

TEST(UserQueryExports, SidExportsNameTheSessionUser) {
  const PluginHost host;
  CallerBuffer own, console;
  host.Export<SidFn>("GetSid")(own.Out());
  host.Export<SidFn>("GetForcedSid")(console.Out());
  // wine's session user is the account the process runs as: a local account, S-1-5-21-...
  EXPECT_EQ(own.Text().rfind(L"S-1-5-21-", 0), 0u) << own.Text();
  EXPECT_TRUE(own.HoldsOnly(ProcessUserSid())) << own.Text();
  // The test runs in the console session, so both exports name the same user.
  EXPECT_TRUE(console.HoldsOnly(own.Text())) << console.Text();
}

TEST(UserQueryExports, FolderExportsAnswerTheShellFolderOfTheirId) {
  const PluginHost host;
  // The ids must tell the folders apart for the comparison to mean anything.
  ASSERT_NE(ShellFolder(CSIDL_PROGRAMS), ShellFolder(CSIDL_STARTMENU));
  ASSERT_NE(ShellFolder(CSIDL_DESKTOPDIRECTORY), ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY));
  for (const FolderExport& folder : kFolderExports) {
    const std::wstring expected = ShellFolder(folder.folderId);
    ASSERT_FALSE(expected.empty()) << folder.name;
    for (const wchar_t* flag : kFlags) {
      CallerBuffer buffer;
      host.Export<FolderFn>(folder.name)(flag, buffer.Out());
      EXPECT_TRUE(buffer.HoldsOnly(expected))
          << folder.name << "(\"" << flag << "\") gave " << buffer.Text();
    }
  }
}

TEST(UserQueryExports, ExpandMatchesThePlatformAndLeavesPlainTextAlone) {
  const PluginHost host;
  const auto expand = host.Export<ExpandFn>("Expand");
  const std::wstring texts[] = {L"C:\\Program Files\\Marlow\\app.exe", L"",
                                L"%USERPROFILE%\\Documents",           L"%SystemRoot%;%TEMP%",
                                L"%MSK_NO_SUCH_VARIABLE%\\x",          L"100% done"};
  for (const std::wstring& text : texts) {
    const std::wstring expected = PlatformExpansion(text);
    for (const wchar_t* flag : {L"Yes", L"no"}) {
      CallerBuffer buffer;
      expand(flag, text.c_str(), buffer.Out());
      EXPECT_TRUE(buffer.HoldsOnly(expected)) << text << " gave " << buffer.Text();
    }
  }
  EXPECT_NE(PlatformExpansion(L"%USERPROFILE%"), L"%USERPROFILE%");  // something was expanded
}

TEST(UserQueryExports, ExpandAnswersUpToMaxPathAndNothingPastIt) {
  const PluginHost host;
  const auto expand = host.Export<ExpandFn>("Expand");
  const std::wstring fits(MAX_PATH - 1, L'a');
  CallerBuffer longest;
  expand(L"No", fits.c_str(), longest.Out());
  EXPECT_TRUE(longest.HoldsOnly(fits));

  for (const std::wstring& text :
       {std::wstring(MAX_PATH, L'a'), L"%USERPROFILE%\\" + std::wstring(MAX_PATH - 5, L'b')}) {
    CallerBuffer buffer;
    expand(L"No", text.c_str(), buffer.Out());
    EXPECT_TRUE(buffer.HoldsOnly(L"")) << buffer.Text();
  }
}

}  // namespace
