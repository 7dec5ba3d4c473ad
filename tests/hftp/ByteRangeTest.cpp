#include "hftp/detail/ByteRange.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <utility>

namespace hftp::detail {
namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

TEST(ByteRange, TextAndMode) {
  struct Case {
    std::int64_t from;
    std::int64_t to;
    const char* text;
    bool headersOnly;
    bool limited;
  };
  const Case cases[] = {
      {-1, -1, "", false, false},
      {0, -1, "0-", false, false},
      {0, 0, "0-0", true, false},
      {5, -5, "5-", true, false},  // the test is on the sum of the ends
      {100, 199, "100-199", false, true},
      {100, -1, "100-", false, true},
      {-1, 500, "-500", false, true},
      {1234567890123, 1234567890124, "1234567890123-1234567890124", false, true},
      {kMax, kMax, "9223372036854775807-9223372036854775807", false, true},
      {kMin, kMax, "-9223372036854775807", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + ".." + std::to_string(c.to));
    const ByteRange range(c.from, c.to);
    EXPECT_EQ(range.Text(), c.text);
    EXPECT_EQ(range.HeadersOnly(), c.headersOnly);
    EXPECT_EQ(range.IsLimited(), c.limited);
  }
}

TEST(ByteRange, PartialAnswerIsCutAtTheRangesEnd) {
  ByteRange range(100, 199);
  EXPECT_FALSE(range.Complete());
  const ByteRange::Slice first = range.Take(60, true, 5000);
  EXPECT_EQ(first.offset, 0u);
  EXPECT_EQ(first.count, 60u);
  EXPECT_FALSE(first.last);
  const ByteRange::Slice second = range.Take(60, true, 5000);
  EXPECT_EQ(second.count, 40u);
  EXPECT_TRUE(second.last);
  EXPECT_TRUE(range.Complete());
  EXPECT_EQ(range.Take(10, true, 5000).count, 0u);
}

TEST(ByteRange, ASuffixOfAWholeAnswerEndsAfterItsLength) {
  ByteRange range(-1, 500);
  const ByteRange::Slice first = range.Take(600, false, 1000);  // 500 skipped, 100 delivered
  EXPECT_EQ(first.offset, 500u);
  EXPECT_EQ(first.count, 100u);
  EXPECT_FALSE(first.last);
  const ByteRange::Slice second = range.Take(600, false, 1000);  // more than the size promised
  EXPECT_EQ(second.count, 400u);
  EXPECT_TRUE(second.last);
  EXPECT_TRUE(range.Complete());
}

TEST(ByteRange, OpenEndIsFixedByTheRevealedTotal) {
  ByteRange range(100, -1);
  range.OnTotalSize(5000);
  EXPECT_EQ(range.to(), 4999);
  range.OnTotalSize(7000);  // only once
  EXPECT_EQ(range.to(), 4999);

  ByteRange unknown(100, -1);
  unknown.OnTotalSize(0);  // "/*": nothing revealed
  EXPECT_EQ(unknown.to(), -1);
  EXPECT_EQ(unknown.Take(4096, true, 0).count, 4096u);  // unbounded, not cut to nothing
}

TEST(ByteRange, ExtremeEndsNeitherOverflowNorOverRead) {
  ByteRange whole(0, kMax);
  const ByteRange::Slice slice = whole.Take(4096, false, 0);
  EXPECT_EQ(slice.count, 4096u);
  EXPECT_FALSE(slice.last);

  // Empty ranges: the ends reversed, a suffix of no bytes (found by fuzzing: it was complete and
  // undeliverable at once while a whole answer was skipped).
  for (const auto& [from, to] : {std::pair<std::int64_t, std::int64_t>{200, 100}, {-1, 0}}) {
    SCOPED_TRACE(std::to_string(from) + ".." + std::to_string(to));
    ByteRange empty(from, to);
    const ByteRange::Slice nothing = empty.Take(4096, false, 5000);
    EXPECT_EQ(nothing.count, 0u);
    EXPECT_TRUE(nothing.last);
    EXPECT_TRUE(empty.Undeliverable());
    EXPECT_FALSE(empty.Complete());
  }
}

}  // namespace
}  // namespace hftp::detail
