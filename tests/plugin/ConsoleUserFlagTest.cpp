// The exports linked in directly, over a scripted platform that, like Windows for a process not
// running as LocalSystem, refuses the console user's token: only the exact flag "Yes" asks for it,
// and then the answer is the empty string. Also which session the SID exports ask about.
#include "CallerBuffer.h"
#include "plugin/Exports.h"
#include "tools/ForTesting.h"
#include "tools/UserIdentity.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using msk::test::CallerBuffer;
using Tools::SystemTools::kCurrentSession;
using Tools::SystemTools::detail::PlatformUserApi;
using Tools::SystemTools::detail::ScopedUserApiOverrideForTesting;
using Tools::SystemTools::detail::UserApi;

DWORD consoleSession = 0;
int consoleTokenRequests = 0;
std::vector<std::uint32_t> sessionsAsked;

DWORD WINAPI ConsoleSession() {
  return consoleSession;
}
BOOL WINAPI RefuseUserToken(ULONG, PHANDLE) {
  ++consoleTokenRequests;
  ::SetLastError(ERROR_PRIVILEGE_NOT_HELD);
  return FALSE;
}
BOOL WINAPI OpenOwnToken(HANDLE, DWORD, PHANDLE token) {
  *token = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  return TRUE;
}
HRESULT WINAPI OwnFolder(HWND, int folderId, HANDLE, DWORD, LPWSTR path) {
  std::wstring(L"C:\\own\\" + std::to_wstring(folderId)).copy(path, MAX_PATH);
  return S_OK;
}
BOOL WINAPI ExpandOwn(HANDLE, LPCWSTR, LPWSTR destination, DWORD) {
  std::wstring(L"expanded").copy(destination, MAX_PATH);
  return TRUE;
}
bool NoSessionText(std::uint32_t session, WTS_INFO_CLASS, std::wstring&) {
  sessionsAsked.push_back(session);
  return false;
}
BOOL WINAPI UnknownAccount(LPCWSTR, LPCWSTR, PSID, LPDWORD, LPWSTR, LPDWORD, PSID_NAME_USE) {
  return FALSE;
}

class ConsoleUserFlag : public ::testing::Test {
 protected:
  void SetUp() override {
    consoleSession = 1;
    consoleTokenRequests = 0;
    sessionsAsked.clear();
    api_.activeConsoleSessionId = &ConsoleSession;
    api_.queryUserToken = &RefuseUserToken;
    api_.openProcessToken = &OpenOwnToken;
    api_.getFolderPath = &OwnFolder;
    api_.expandEnvironmentStringsForUser = &ExpandOwn;
    api_.querySessionText = &NoSessionText;
    api_.lookupAccountName = &UnknownAccount;
  }

  UserApi api_ = PlatformUserApi();
  ScopedUserApiOverrideForTesting override_{api_};
};

const wchar_t* const kOwnUserFlags[] = {L"yes", L"YES", L"Yes ", L" Yes", L"", L"No", L"1"};

TEST_F(ConsoleUserFlag, OnlyExactYesAsksForTheConsoleUserWhoseTokenIsRefusedHere) {
  using FolderFn = void(__cdecl*)(const wchar_t*, wchar_t*);
  struct Case {
    FolderFn folderExport;
    int folderId;
  };
  for (const Case c : {Case{&GetLocalAppData, 28}, Case{&GetUserStartMenu, 2},
                       Case{&GetAppData, 26}, Case{&GetDesktop, 16}, Case{&GetCommonDesktop, 25}}) {
    CallerBuffer console;
    c.folderExport(L"Yes", console.Out());
    EXPECT_TRUE(console.HoldsOnly(L"")) << c.folderId << ": " << console.Text();
    for (const wchar_t* flag : kOwnUserFlags) {
      CallerBuffer own;
      c.folderExport(flag, own.Out());
      EXPECT_TRUE(own.HoldsOnly(L"C:\\own\\" + std::to_wstring(c.folderId)))
          << c.folderId << " \"" << flag << "\": " << own.Text();
    }
  }
  EXPECT_EQ(consoleTokenRequests, 5);
}

TEST_F(ConsoleUserFlag, ExpandTakesTheSameChoice) {
  CallerBuffer console;
  Expand(L"Yes", L"%USERPROFILE%", console.Out());
  EXPECT_TRUE(console.HoldsOnly(L""));
  EXPECT_EQ(consoleTokenRequests, 1);
  for (const wchar_t* flag : kOwnUserFlags) {
    CallerBuffer own;
    Expand(flag, L"%USERPROFILE%", own.Out());
    EXPECT_TRUE(own.HoldsOnly(L"expanded")) << flag;
  }
  EXPECT_EQ(consoleTokenRequests, 1);
}

TEST_F(ConsoleUserFlag, SidExportsAskAboutTheirSessionAndWriteEmptyOnFailure) {
  CallerBuffer own, console, noConsole;
  consoleSession = 5;
  GetSid(own.Out());
  GetForcedSid(console.Out());
  consoleSession = kCurrentSession;  // nobody at the console: passed on unchanged
  GetForcedSid(noConsole.Out());
  EXPECT_EQ(sessionsAsked, (std::vector<std::uint32_t>{kCurrentSession, kCurrentSession, 5, 5,
                                                       kCurrentSession, kCurrentSession}));
  EXPECT_TRUE(own.HoldsOnly(L""));
  EXPECT_TRUE(console.HoldsOnly(L""));
  EXPECT_TRUE(noConsole.HoldsOnly(L""));
}

}  // namespace
