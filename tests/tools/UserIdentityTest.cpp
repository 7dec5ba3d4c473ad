// GetSessionUserSid against a scripted platform: the account name it forms, the session it asks
// about, and the empty string for each way the lookup can fail, including a SID that fails
// IsValidSid, which no real account produces.
#include "tools/ForTesting.h"
#include "tools/UserIdentity.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Tools::SystemTools::GetSessionUserSid;
using Tools::SystemTools::kCurrentSession;
using Tools::SystemTools::detail::PlatformUserApi;
using Tools::SystemTools::detail::ScopedUserApiOverrideForTesting;
using Tools::SystemTools::detail::UserApi;

struct Script {
  bool userKnown = true;
  bool domainKnown = true;
  std::vector<std::uint32_t> sessionsAsked;
  std::vector<std::wstring> accountsLookedUp;
  bool reportSize = true;
  BOOL secondLookup = TRUE;
  BOOL sidValid = TRUE;
  bool converts = true;
  int conversions = 0;
};
Script script;

// S-1-5-18, LocalSystem.
const BYTE kSystemSid[] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};

bool QuerySessionText(std::uint32_t session, WTS_INFO_CLASS infoClass, std::wstring& text) {
  script.sessionsAsked.push_back(session);
  text = infoClass == WTSUserName ? L"alice" : L"MARLOW";
  return infoClass == WTSUserName ? script.userKnown : script.domainKnown;
}

BOOL WINAPI LookupAccountName(LPCWSTR system, LPCWSTR account, PSID sid, LPDWORD sidSize,
                              LPWSTR domain, LPDWORD domainLength, PSID_NAME_USE use) {
  EXPECT_EQ(system, nullptr);
  EXPECT_NE(use, nullptr);
  script.accountsLookedUp.emplace_back(account);
  if (sid == nullptr) {
    *sidSize = script.reportSize ? sizeof kSystemSid : 0;
    *domainLength = 13;
    ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  EXPECT_EQ(*sidSize, sizeof kSystemSid);
  EXPECT_EQ(*domainLength, 13u);
  EXPECT_NE(domain, nullptr);
  std::memcpy(sid, kSystemSid, sizeof kSystemSid);
  return script.secondLookup;
}

BOOL WINAPI IsValidSid(PSID) {
  return script.sidValid;
}

bool SidToString(PSID sid, std::wstring& text) {
  ++script.conversions;
  return script.converts && PlatformUserApi().sidToString(sid, text);
}

class UserIdentity : public ::testing::Test {
 protected:
  void SetUp() override {
    script = Script{};
    api_.querySessionText = &QuerySessionText;
    api_.lookupAccountName = &LookupAccountName;
    api_.isValidSid = &IsValidSid;
    api_.sidToString = &SidToString;
  }

  UserApi api_ = PlatformUserApi();
  ScopedUserApiOverrideForTesting override_{api_};
};

TEST_F(UserIdentity, LooksUpDomainBackslashUserOfTheSessionAsked) {
  for (const std::uint32_t session : {kCurrentSession, 0u, 3u}) {
    script = Script{};
    EXPECT_EQ(GetSessionUserSid(session), L"S-1-5-18");
    EXPECT_EQ(script.sessionsAsked, (std::vector<std::uint32_t>{session, session}));
    EXPECT_EQ(script.accountsLookedUp, (std::vector<std::wstring>(2, L"MARLOW\\alice")));
  }
}

TEST_F(UserIdentity, MissingNamePartsAreStillLookedUp) {
  script.domainKnown = false;
  GetSessionUserSid(kCurrentSession);
  script.userKnown = false;
  GetSessionUserSid(kCurrentSession);
  script.reportSize = false;  // an account nobody knows
  EXPECT_EQ(GetSessionUserSid(kCurrentSession), L"");
  EXPECT_EQ(script.accountsLookedUp,
            (std::vector<std::wstring>{L"\\alice", L"\\alice", L"\\", L"\\", L"\\"}));
}

TEST_F(UserIdentity, EachFailingStepGivesTheEmptyString) {
  script.reportSize = false;
  EXPECT_EQ(GetSessionUserSid(kCurrentSession), L"");
  EXPECT_EQ(script.accountsLookedUp.size(), 1u);  // no second lookup without a size

  script = Script{};
  script.secondLookup = FALSE;
  EXPECT_EQ(GetSessionUserSid(kCurrentSession), L"");

  script = Script{};
  script.sidValid = FALSE;
  EXPECT_EQ(GetSessionUserSid(kCurrentSession), L"");
  EXPECT_EQ(script.conversions, 0);

  script = Script{};
  script.converts = false;
  EXPECT_EQ(GetSessionUserSid(kCurrentSession), L"");
}

}  // namespace
