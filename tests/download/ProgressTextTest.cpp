// The download dialog's text line: sizes, durations, the default wording and the placeholders, and
// the speed measured from samples of the byte count.
#include "download/ProgressText.h"
#include "download/TransferRate.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using download::ProgressSample;
using std::chrono::milliseconds;

constexpr std::uint64_t kMiB = 1024 * 1024;

TEST(ProgressText, SizesInBinaryUnitsWithOneDecimal) {
  const std::pair<std::uint64_t, const wchar_t*> cases[] = {
      {0, L"0 B"},
      {1023, L"1023 B"},
      {1024, L"1.0 KB"},
      {1536, L"1.5 KB"},
      {1048524, L"1023.9 KB"},
      {1048575, L"1.0 MB"},  // rounds to 1024.0 KB: the next unit
      {12900000, L"12.3 MB"},
      {50331648, L"48.0 MB"},
      {3000000, L"2.9 MB"},
      {5ull << 30, L"5.0 GB"},
      {3ull << 40, L"3.0 TB"},
      {5000ull << 40, L"5000.0 TB"},  // no unit beyond
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(download::SizeText(bytes), text) << bytes;
}

TEST(ProgressText, DurationsInSecondsMinutesAndHours) {
  const std::pair<std::uint64_t, const wchar_t*> cases[] = {
      {0, L"0 s"},          {8, L"8 s"},           {59, L"59 s"},
      {60, L"1 min 0 s"},   {185, L"3 min 5 s"},   {3599, L"59 min 59 s"},
      {3600, L"1 h 0 min"}, {8040, L"2 h 14 min"},
  };
  for (const auto& [seconds, text] : cases)
    EXPECT_EQ(download::DurationText(seconds), text) << seconds;
}

TEST(ProgressText, DefaultWordingLeavesOutWhatIsUnknown) {
  struct Case {
    ProgressSample sample;
    const wchar_t* text;
  };
  const Case cases[] = {
      {{12900000, 50331648, 5452595.0}, L"12.3 MB of 48.0 MB \u00B7 5.2 MB/s \u00B7 7 s left"},
      {{12900000, 0, 5452595.0}, L"12.3 MB \u00B7 5.2 MB/s"},       // size unknown
      {{12900000, 50331648, std::nullopt}, L"12.3 MB of 48.0 MB"},  // not measured yet
      {{12900000, 50331648, 0.0}, L"12.3 MB of 48.0 MB"},           // standing still
      {{50331648, 50331648, 1024.0}, L"48.0 MB of 48.0 MB \u00B7 1.0 KB/s \u00B7 0 s left"},
      {{0, 0, std::nullopt}, L""},  // nothing has arrived yet
      {{0, 3 * kMiB, std::nullopt}, L"0 B of 3.0 MB"},
      {{kMiB, 3 * kMiB, 100.0}, L"1.0 MB of 3.0 MB \u00B7 100 B/s \u00B7 5 h 49 min left"},
  };
  for (const Case& c : cases) EXPECT_EQ(download::ProgressText(L"", c.sample), c.text) << c.text;
}

TEST(ProgressText, PlaceholdersAreFilledInAndUnknownOnesBecomeAQuestionMark) {
  const std::wstring pattern = L"@PERCENT@|@RECEIVED@|@TOTAL@|@SPEED@|@REMAINING@";
  struct Case {
    std::wstring pattern;
    ProgressSample sample;
    const wchar_t* text;
  };
  const Case cases[] = {
      {pattern, {1500000, 3000000, 1000000.0}, L"50%|1.4 MB|2.9 MB|976.6 KB/s|2 s"},
      {pattern, {1500000, 0, std::nullopt}, L"?|1.4 MB|?|?|?"},
      {L"@PERCENT@@PERCENT@ @percent@ @PERCENT",
       {1, 4, std::nullopt},
       L"25%25% @percent@ @PERCENT"},
      {L"Velmar: @RECEIVED@ (@SPEED@)", {2048, 0, 512.0}, L"Velmar: 2.0 KB (512 B/s)"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(download::ProgressText(c.pattern, c.sample), c.text) << c.text;
  // The way out, when known: the proxy or "direct".
  EXPECT_EQ(
      download::ProgressText(L"@PERCENT@ via @PROXY@", {1, 4, std::nullopt}, L"proxy.test:3128"),
      L"25% via proxy.test:3128");
  EXPECT_EQ(download::ProgressText(L"via @PROXY@", {}, L"direct"), L"via direct");
  EXPECT_EQ(download::ProgressText(L"via @PROXY@", {}), L"via ?");  // the environment's
}

TEST(TransferRate, IsTheGrowthOverTheLastThreeSeconds) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, std::uint64_t>> samples;  // milliseconds, bytes
    std::optional<double> bytesPerSecond;
  };
  const Case cases[] = {
      {"nothing yet", {}, std::nullopt},
      {"one sample", {{0, 100}}, std::nullopt},
      {"less than half a second", {{0, 0}, {250, 1000}}, std::nullopt},
      {"steady", {{0, 0}, {250, 250}, {500, 500}, {750, 750}, {1000, 1000}}, 1000.0},
      {"only the last three seconds", {{0, 0}, {1000, 9000}, {2000, 10000}, {4000, 12000}}, 1000.0},
      {"a stall",
       {{0, 0}, {500, 5000}, {1000, 5000}, {2000, 5000}, {3000, 5000}, {4000, 5000}},
       0.0},
      {"starting over", {{0, 0}, {1000, 8000}, {1250, 100}, {1500, 600}}, std::nullopt},
      {"started over and measured", {{0, 8000}, {250, 100}, {1250, 2100}}, 2000.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    download::TransferRate rate;
    for (const auto& [at, bytes] : c.samples) rate.Add(milliseconds(at), bytes);
    EXPECT_EQ(rate.BytesPerSecond(), c.bytesPerSecond);
  }
}

}  // namespace
