// GetInfo of the built DLL against small DLLs whose version resources were made for it
// (version_fixtures/), called as an installer calls it.
#include "CallerBuffer.h"
#include "support/PluginHost.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using msk::test::CallerBuffer;
using InfoFn = void(__cdecl*)(const wchar_t*, const wchar_t*, wchar_t*);

const std::wstring kOneTranslation = L"" MSK_FIXTURE_ONE_TRANSLATION;
const std::wstring kTwoTranslations = L"" MSK_FIXTURE_TWO_TRANSLATIONS;

class GetInfoExport : public ::testing::Test {
 protected:
  std::wstring Info(const std::wstring& file, const std::wstring& key) {
    CallerBuffer buffer;
    getInfo_(file.c_str(), key.c_str(), buffer.Out());
    if (buffer.Untouched()) {
      ADD_FAILURE() << "nothing written for " << key;
      return L"<untouched>";
    }
    // Nothing but the answer and its NUL is written.
    EXPECT_TRUE(buffer.HoldsOnly(buffer.Text())) << key;
    return buffer.Text();
  }

  msk::test::PluginHost host_;
  InfoFn getInfo_ = host_.Export<InfoFn>("GetInfo");
};

TEST_F(GetInfoExport, ReadsTheFirstLanguagesStringTable) {
  EXPECT_EQ(Info(kOneTranslation, L"ProductVersion"), L"4.3.2.1-fixture");
  EXPECT_EQ(Info(kOneTranslation, L"CompanyName"), L"Marlow Test Fixtures Ltd");
  EXPECT_EQ(Info(kOneTranslation, L"FileDescription"), L"");  // not in the table
  EXPECT_EQ(Info(kOneTranslation, L"Comments"), L"");         // present, empty

  // Russian is listed first, so the English table is never read.
  EXPECT_EQ(Info(kTwoTranslations, L"ProductVersion"), L"19.0-russian");
  EXPECT_EQ(Info(kTwoTranslations, L"CompanyName"), L"Russian table");
  EXPECT_EQ(Info(kTwoTranslations, L"OnlyInEnglish"), L"");
}

TEST_F(GetInfoExport, KeysOfAnyLengthAndWithPercentSignsAreLookedUpLiterally) {
  EXPECT_EQ(Info(kOneTranslation, L"TwentyFourCharacterKeyAB"), L"key of 24 characters");
  EXPECT_EQ(Info(kOneTranslation, L"AKeyLongerThanTwentyFourCharactersIsReadToo"),
            L"key of 43 characters");
  EXPECT_EQ(Info(kOneTranslation, L"Percent%s%n%x%p"), L"literal percent key");
  EXPECT_EQ(Info(kOneTranslation, L"%s%s%s%s%n%n%n%n"), L"");
  EXPECT_EQ(Info(kOneTranslation, std::wstring(4000, L'K')), L"");
}

TEST_F(GetInfoExport, ValueLongerThanTheScriptsStringIsCutToIt) {
  const std::wstring value = Info(kOneTranslation, L"LongDescription");
  ASSERT_EQ(value.size(), 1023u);
  EXPECT_EQ(value.find_first_not_of(L"0123456789abcdef"), std::wstring::npos);
  EXPECT_EQ(value.substr(0, 20), L"0123456789abcdef0123");
}

TEST_F(GetInfoExport, FilesWithoutAUsableVersionResourceGiveTheEmptyString) {
  for (const std::wstring& file : {std::wstring(L"" MSK_FIXTURE_NO_VERSION_RESOURCE),
                                   std::wstring(L"" MSK_FIXTURE_NO_TRANSLATION_TABLE),
                                   std::wstring(L"" MSK_FIXTURE_EMPTY_TRANSLATION_TABLE),
                                   kOneTranslation + L".missing", std::wstring()}) {
    EXPECT_EQ(Info(file, L"ProductVersion"), L"") << file;
  }
}

TEST_F(GetInfoExport, NullFileOrKeyLeavesTheBufferUntouched) {
  CallerBuffer noFile, noKey;
  getInfo_(nullptr, L"ProductVersion", noFile.Out());
  getInfo_(kOneTranslation.c_str(), nullptr, noKey.Out());
  EXPECT_TRUE(noFile.Untouched());
  EXPECT_TRUE(noKey.Untouched());
}

}  // namespace
