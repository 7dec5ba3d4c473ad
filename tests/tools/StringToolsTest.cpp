#include "tools/ForTesting.h"
#include "tools/StringTools.h"

#include <gtest/gtest.h>
#include <boost/exception/get_error_info.hpp>

namespace {

using namespace Tools::StringTools;

TEST(StringTools, EmptyTextConvertsToEmptyTextAndSucceeds) {
  std::string narrow = "previous";
  EXPECT_TRUE(ConvertToUtf8(std::wstring(), narrow));
  EXPECT_EQ(narrow, "");
  std::wstring wide = L"previous";
  EXPECT_TRUE(ConvertFromUtf8(std::string(), wide));
  EXPECT_EQ(wide, L"");
  EXPECT_EQ(ConvertToUtf8(std::wstring()), "");
  EXPECT_EQ(ConvertToUtf16(std::string()), L"");
}

TEST(StringTools, NonAsciiAndSupplementaryCharactersRoundTrip) {
  // Cyrillic (2 bytes), CJK (3 bytes) and an emoji outside the BMP (a surrogate pair in UTF-16).
  const std::wstring wide = L"\x041F\x0440\x0438\x0432\x0435\x0442 \x4E16 \U0001F600!";
  const std::string utf8 =
      "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE4\xB8\x96 \xF0\x9F\x98\x80!";
  EXPECT_EQ(ConvertToUtf8(wide), utf8);
  EXPECT_EQ(ConvertToUtf16(utf8), wide);

  std::string narrow;
  ASSERT_TRUE(ConvertToCodePage(wide, narrow, kCodePageUtf8));
  EXPECT_EQ(narrow, utf8);
  std::wstring back;
  ASSERT_TRUE(ConvertFromCodePage(utf8, back, kCodePageUtf8));
  EXPECT_EQ(back, wide);
}

TEST(StringTools, ConversionStopsAtEmbeddedNul) {
  const std::wstring wide(L"ab\0cd", 5);
  std::string narrow;
  ASSERT_TRUE(ConvertToUtf8(wide, narrow));
  EXPECT_EQ(narrow, "ab");
  const std::string utf8("xy\0z", 4);
  EXPECT_EQ(ConvertToUtf16(utf8), L"xy");
}

TEST(StringTools, AnsiShorthandsRoundTripAscii) {
  std::string narrow;
  ASSERT_TRUE(ConvertToAnsi(L"C:\\Program Files\\App", narrow));
  EXPECT_EQ(narrow, "C:\\Program Files\\App");
  std::wstring wide;
  ASSERT_TRUE(ConvertFromAnsi(narrow, wide));
  EXPECT_EQ(wide, L"C:\\Program Files\\App");
}

TEST(StringTools, FailedConversionLeavesOutputAsItWas) {
  // No system has a code page 12345; the platform refuses it.
  std::string narrow = "keep me";
  EXPECT_FALSE(ConvertToCodePage(L"text", narrow, 12345));
  EXPECT_EQ(narrow, "keep me");
  std::wstring wide = L"keep me too";
  EXPECT_FALSE(ConvertFromCodePage("text", wide, 12345));
  EXPECT_EQ(wide, L"keep me too");
}

// A platform whose size query works but whose conversion then fails, to reach the second failure
// point and the throwing variants' error reporting.
constexpr std::uint32_t kFakeError = 1113;  // ERROR_NO_UNICODE_TRANSLATION
int FailSecondCallWide(unsigned int, const wchar_t*, char*, int outSize) {
  return outSize == 0 ? 16 : 0;
}
int FailSecondCallNarrow(unsigned int, const char*, wchar_t*, int outSize) {
  return outSize == 0 ? 16 : 0;
}
std::uint32_t FakeLastError() {
  return kFakeError;
}
constexpr detail::CodePageApi kFailingApi{&FailSecondCallWide, &FailSecondCallNarrow,
                                          &FakeLastError};

TEST(StringTools, FailureAfterSizeQueryLeavesOutputAsItWas) {
  const detail::ScopedCodePageApiOverrideForTesting failing(kFailingApi);
  std::string narrow = "old";
  EXPECT_FALSE(ConvertToUtf8(L"text", narrow));
  EXPECT_EQ(narrow, "old");
  std::wstring wide = L"old";
  EXPECT_FALSE(ConvertFromUtf8("text", wide));
  EXPECT_EQ(wide, L"old");
}

TEST(StringTools, ThrowingConversionsReportDirectionAndErrorCode) {
  const detail::ScopedCodePageApiOverrideForTesting failing(kFailingApi);
  try {
    ConvertToUtf8(std::wstring(L"text"));
    FAIL() << "no exception";
  } catch (const Error& e) {
    const auto* code = boost::get_error_info<Tools::ErrorInfo::ErrorCodeTag>(e);
    const auto* text = boost::get_error_info<Tools::ErrorInfo::ErrorCodeDescription>(e);
    ASSERT_NE(code, nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(*code, kFakeError);
    EXPECT_EQ(*text, "Error converting from tstring to std::string (utf16->utf8)");
    EXPECT_STREQ(e.what(), text->c_str());
    EXPECT_NE(boost::get_error_info<boost::throw_function>(e), nullptr);
  }
  try {
    ConvertToUtf16(std::string("text"));
    FAIL() << "no exception";
  } catch (const Tools::BaseException& e) {
    const auto* text = boost::get_error_info<Tools::ErrorInfo::ErrorCodeDescription>(e);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(*text, "Error converting from std::string to tstring (utf8->utf16)");
  }
  // Empty input never reaches the platform, so it cannot fail.
  EXPECT_EQ(ConvertToUtf8(std::wstring()), "");
}

}  // namespace
