#include "plugin/StringOut.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr wchar_t kSentinel = L'#';

// A buffer the size NSIS passes (1,024 characters) plus a guard zone that must stay untouched.
struct GuardedBuffer {
  static constexpr std::size_t kNsisSize = 1024;
  static constexpr std::size_t kGuard = 64;
  std::vector<wchar_t> data = std::vector<wchar_t>(kNsisSize + kGuard, kSentinel);

  wchar_t* Out() { return data.data(); }
  std::wstring Text() const { return std::wstring(data.data()); }
  bool GuardIntact() const {
    for (std::size_t i = kNsisSize; i < data.size(); ++i) {
      if (data[i] != kSentinel) return false;
    }
    return true;
  }
};

TEST(StringOut, CopiesResultWithTerminatorAndNothingMore) {
  GuardedBuffer buffer;
  plugin::CopyToCallerBuffer(L"S-1-5-21-0-0-0-1000", buffer.Out());
  EXPECT_EQ(buffer.Text(), L"S-1-5-21-0-0-0-1000");
  EXPECT_EQ(buffer.data[20], kSentinel);  // the character after the NUL is the caller's

  plugin::CopyToCallerBuffer(L"", buffer.Out());
  EXPECT_EQ(buffer.data[0], L'\0');
  EXPECT_EQ(buffer.data[1], L'-');  // rest of the previous result, untouched
}

TEST(StringOut, LongResultsStopAtTheNsisStringSize) {
  for (const std::size_t length :
       {std::size_t{1022}, std::size_t{1023}, std::size_t{1024}, std::size_t{65535}}) {
    GuardedBuffer buffer;
    plugin::CopyToCallerBuffer(std::wstring(length, L'x'), buffer.Out());
    EXPECT_EQ(buffer.Text().size(), std::min(length, plugin::kMaxOutChars)) << length;
    EXPECT_TRUE(buffer.GuardIntact()) << length;
  }
}

TEST(StringOut, NullBufferIsIgnored) {
  plugin::CopyToCallerBuffer(L"anything", nullptr);  // must not crash
  GuardedBuffer buffer;
  plugin::CopyToCallerBuffer(L"anything", buffer.Out());
  EXPECT_EQ(buffer.Text(), L"anything");
}

}  // namespace
