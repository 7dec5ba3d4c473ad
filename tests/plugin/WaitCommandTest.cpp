// MarlowSetupKit::Wait's arguments as a script writes them.
#include "plugin/WaitCommand.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(WaitArguments, OptionsThenTheId) {
  const plugin::ParsedWait plain = plugin::ParseWaitArguments({L"7"});
  ASSERT_TRUE(plain.command.has_value());
  EXPECT_EQ(plain.command->id, L"7");
  EXPECT_FALSE(plain.command->silent);
  EXPECT_FALSE(plain.command->page);
  EXPECT_FALSE(plain.command->look.cancelButton);
  EXPECT_TRUE(plain.command->look.textLine);
  EXPECT_TRUE(plain.command->look.marquee);

  const plugin::ParsedWait all = plugin::ParseWaitArguments(
      {L"/silent", L"/Page", L"/Cancel", L"/TEXT=@PERCENT@ = done", L"/CAPTION=Velmar",
       L"/heading=Getting it", L"/CancelText=Stop", L"12"});
  ASSERT_TRUE(all.command.has_value());
  EXPECT_EQ(all.command->id, L"12");
  EXPECT_TRUE(all.command->silent);
  EXPECT_TRUE(all.command->page);
  EXPECT_TRUE(all.command->look.cancelButton);
  EXPECT_EQ(all.command->look.textPattern, L"@PERCENT@ = done");
  EXPECT_EQ(all.command->look.caption, L"Velmar");
  EXPECT_EQ(all.command->look.heading, L"Getting it");
  EXPECT_EQ(all.command->look.cancelText, L"Stop");
}

TEST(WaitArguments, WrongArgumentsAreAnsweredAsTheDownloadCommandAnswersThem) {
  const struct {
    std::vector<std::wstring> arguments;
    const wchar_t* error;
  } kCases[] = {
      {{L"/NOSUCH=1", L"1"}, L"Unknown option /NOSUCH"},
      {{L"/RETRY=2", L"1"}, L"Unknown option /RETRY"},
      {{L"/SILENT=1", L"1"}, L"Invalid option /SILENT=1"},
      {{L"/TEXT", L"1"}, L"Invalid option /TEXT"},
      {{L"/PAGE=1", L"1"}, L"Invalid option /PAGE=1"},
      {{L"/CANCELTEXT", L"1"}, L"Invalid option /CANCELTEXT"},
      {{L"/CANCEL"}, L"Missing id"},
      {{}, L"Missing id"},
  };
  for (const auto& c : kCases) {
    const plugin::ParsedWait parsed = plugin::ParseWaitArguments(c.arguments);
    EXPECT_FALSE(parsed.command.has_value()) << c.error;
    EXPECT_EQ(parsed.error, c.error);
  }
}

}  // namespace
