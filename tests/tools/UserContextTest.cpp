// GetUserFolderPath and ExpandForUser against a scripted platform: which user's token is used,
// that it is always closed, and what the caller gets when the platform refuses or overflows.
#include "tools/ForTesting.h"
#include "tools/UserContext.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>

namespace {

using Tools::SystemTools::ExpandForUser;
using Tools::SystemTools::GetUserFolderPath;
using Tools::SystemTools::detail::PlatformUserApi;
using Tools::SystemTools::detail::ScopedUserApiOverrideForTesting;
using Tools::SystemTools::detail::UserApi;

constexpr DWORD kConsoleSession = 7;

// What the scripted platform answers, and what it was asked.
struct Script {
  BOOL grantToken = TRUE;
  HANDLE tokenGiven = nullptr;  // a real event handle, so that closing it can be seen
  ULONG tokenSession = 0;
  DWORD processTokenAccess = 0;
  int tokenRequests = 0;
  int shellCalls = 0;
  HANDLE shellToken = nullptr;
  int shellFolder = -1;
  DWORD shellFlags = 99;
  std::wstring shellWrites;
  HRESULT shellStatus = S_OK;
  HANDLE expandToken = nullptr;
  DWORD expandSize = 0;
  std::wstring expandWrites;
  BOOL expandResult = TRUE;
};
Script script;

DWORD WINAPI ConsoleSession() {
  return kConsoleSession;
}
BOOL WINAPI QueryUserToken(ULONG session, PHANDLE token) {
  ++script.tokenRequests;
  script.tokenSession = session;
  *token = script.tokenGiven;
  return script.grantToken;
}
BOOL WINAPI OpenProcessToken(HANDLE process, DWORD access, PHANDLE token) {
  EXPECT_EQ(process, ::GetCurrentProcess());
  script.processTokenAccess = access;
  return QueryUserToken(0, token);
}
HRESULT WINAPI GetFolderPath(HWND, int folder, HANDLE token, DWORD flags, LPWSTR path) {
  ++script.shellCalls;
  script.shellFolder = folder;
  script.shellToken = token;
  script.shellFlags = flags;
  script.shellWrites.copy(path, MAX_PATH);
  return script.shellStatus;
}
BOOL WINAPI ExpandStrings(HANDLE token, LPCWSTR, LPWSTR destination, DWORD size) {
  script.expandToken = token;
  script.expandSize = size;
  script.expandWrites.copy(destination, size);
  return script.expandResult;
}

bool IsOpen(HANDLE handle) {
  DWORD flags = 0;
  return ::GetHandleInformation(handle, &flags) != FALSE;
}

class UserContext : public ::testing::Test {
 protected:
  void SetUp() override {
    script = Script{};
    script.tokenGiven = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    api_.activeConsoleSessionId = &ConsoleSession;
    api_.queryUserToken = &QueryUserToken;
    api_.openProcessToken = &OpenProcessToken;
    api_.getFolderPath = &GetFolderPath;
    api_.expandEnvironmentStringsForUser = &ExpandStrings;
  }
  void TearDown() override {
    if (IsOpen(script.tokenGiven)) {
      ::CloseHandle(script.tokenGiven);
      ADD_FAILURE() << "the token was left open";
    }
  }

  UserApi api_ = PlatformUserApi();
  ScopedUserApiOverrideForTesting override_{api_};
};

TEST_F(UserContext, FolderOfTheConsoleUserIsAskedWithItsTokenWhichIsThenClosed) {
  script.shellWrites = L"C:\\Users\\console\\Desktop";
  EXPECT_EQ(GetUserFolderPath(true, CSIDL_DESKTOPDIRECTORY), L"C:\\Users\\console\\Desktop");
  EXPECT_EQ(script.tokenSession, kConsoleSession);
  EXPECT_EQ(script.shellToken, script.tokenGiven);
  EXPECT_EQ(script.shellFolder, CSIDL_DESKTOPDIRECTORY);
  EXPECT_EQ(script.shellFlags, 0u);  // current location, never created
}

TEST_F(UserContext, FolderWithoutTheConsoleTokenIsEmptyAndTheShellIsNotAsked) {
  script.grantToken = FALSE;
  script.shellWrites = L"C:\\Users\\own";
  EXPECT_EQ(GetUserFolderPath(true, CSIDL_APPDATA), L"");
  EXPECT_EQ(script.shellCalls, 0);
}

TEST_F(UserContext, FolderOfTheOwnUserTakesNoTokenAndIgnoresTheShellStatus) {
  ::CloseHandle(script.tokenGiven);  // not asked for
  script.shellWrites = L"C:\\Users\\own\\Start Menu\\Programs";
  script.shellStatus = S_FALSE;  // a folder that does not exist yet still has its path
  EXPECT_EQ(GetUserFolderPath(false, CSIDL_PROGRAMS), L"C:\\Users\\own\\Start Menu\\Programs");
  EXPECT_EQ(script.tokenRequests, 0);
  EXPECT_EQ(script.shellToken, nullptr);

  script.shellWrites.clear();
  script.shellStatus = E_INVALIDARG;
  EXPECT_EQ(GetUserFolderPath(false, 0x7F), L"");
  script.shellWrites.assign(MAX_PATH, L'p');  // no NUL: the text stops at the buffer's end
  EXPECT_EQ(GetUserFolderPath(false, CSIDL_APPDATA), std::wstring(MAX_PATH, L'p'));
}

TEST_F(UserContext, ExpansionUsesTheChosenUsersTokenAndClosesIt) {
  script.expandWrites = L"C:\\Users\\own\\file.txt";
  EXPECT_EQ(ExpandForUser(L"%USERPROFILE%\\file.txt", false), L"C:\\Users\\own\\file.txt");
  EXPECT_EQ(script.processTokenAccess, TOKEN_QUERY | TOKEN_IMPERSONATE | TOKEN_DUPLICATE);
  EXPECT_EQ(script.expandToken, script.tokenGiven);
  EXPECT_EQ(script.expandSize, static_cast<DWORD>(MAX_PATH));
  EXPECT_FALSE(IsOpen(script.tokenGiven));

  script.tokenGiven = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  script.expandWrites = L"C:\\Users\\console";
  EXPECT_EQ(ExpandForUser(L"%USERPROFILE%", true), L"C:\\Users\\console");
  EXPECT_EQ(script.tokenSession, kConsoleSession);
  EXPECT_EQ(script.expandToken, script.tokenGiven);
}

TEST_F(UserContext, ExpansionWithoutATokenOrThatFailsGivesTheEmptyString) {
  ::CloseHandle(script.tokenGiven);
  script.tokenGiven = nullptr;
  script.grantToken = FALSE;
  script.expandWrites = L"must not be used";
  EXPECT_EQ(ExpandForUser(L"%TEMP%", true), L"");
  EXPECT_EQ(ExpandForUser(L"%TEMP%", false), L"");
  EXPECT_EQ(script.expandSize, 0u);  // never called

  // A token handed out as 0 reaches the platform as INVALID_HANDLE_VALUE.
  script.grantToken = TRUE;
  EXPECT_EQ(ExpandForUser(L"plain", false), L"must not be used");
  EXPECT_EQ(script.expandToken, INVALID_HANDLE_VALUE);

  // A cut-off expansion is no answer, whether reported as FALSE (Windows) or as the larger size
  // needed (wine).
  script.expandWrites.assign(MAX_PATH - 1, L'x');
  script.expandResult = FALSE;
  EXPECT_EQ(ExpandForUser(L"%LONG%", false), L"");
  script.expandResult = MAX_PATH + 40;
  EXPECT_EQ(ExpandForUser(L"%LONG%", false), L"");
  script.expandResult = MAX_PATH;
  EXPECT_EQ(ExpandForUser(L"%LONG%", false), script.expandWrites);
}

}  // namespace
