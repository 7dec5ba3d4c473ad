#include "tools/detail/VersionQueryPath.h"

#include <gtest/gtest.h>

namespace {

using Tools::SystemTools::detail::StringTablePath;

TEST(VersionQueryPath, LanguageAndCodePageAsEightLowercaseDigitsThenTheKeyAsItIs) {
  EXPECT_EQ(StringTablePath(0x0409, 0x04B0, L"ProductVersion"),
            L"\\StringFileInfo\\040904b0\\ProductVersion");
  EXPECT_EQ(StringTablePath(0xABCD, 0x0001, L"K"), L"\\StringFileInfo\\abcd0001\\K");
  // Keys are never read as format directives, and may be of any length.
  EXPECT_EQ(StringTablePath(0, 0, L"%s%n%x"), L"\\StringFileInfo\\00000000\\%s%n%x");
  const std::wstring longKey(300, L'k');
  EXPECT_EQ(StringTablePath(0x0419, 0x04E3, longKey), L"\\StringFileInfo\\041904e3\\" + longKey);
}

}  // namespace
