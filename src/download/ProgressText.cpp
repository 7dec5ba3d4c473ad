#include "download/ProgressText.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace download {
namespace {

constexpr const wchar_t* kUnknown = L"?";
constexpr const wchar_t* kSeparator = L" \u00B7 ";  // a middle dot between spaces

// `value` tenths as "12.3" (or "12,3": the language's decimal separator).
std::wstring Tenths(std::uint64_t value, wchar_t separator) {
  return std::to_wstring(value / 10) + separator + std::to_wstring(value % 10);
}

std::wstring PercentOf(const ProgressSample& sample, const Translation& words) {
  if (sample.total <= 0) return kUnknown;
  return FillIn(words.percent, std::to_wstring(DownloadPercent(sample.received, sample.total)));
}

std::wstring SpeedText(const ProgressSample& sample, const Translation& words) {
  if (!sample.bytesPerSecond || !(*sample.bytesPerSecond >= 0.0)) return kUnknown;
  return FillIn(words.perSecond,
                SizeText(static_cast<std::uint64_t>(std::llround(*sample.bytesPerSecond)), words));
}

std::wstring LeftText(const ProgressSample& sample, const Translation& words) {
  const std::optional<std::uint64_t> seconds = SecondsLeft(sample);
  return seconds ? DurationText(*seconds, words) : kUnknown;
}

std::wstring ReceivedText(const ProgressSample& sample, const Translation& words) {
  return SizeText(sample.received, words);
}

std::wstring TotalText(const ProgressSample& sample, const Translation& words) {
  return sample.total > 0 ? SizeText(static_cast<std::uint64_t>(sample.total), words) : kUnknown;
}

std::wstring DefaultText(const ProgressSample& sample, const Translation& words) {
  if (sample.received == 0 && sample.total <= 0) return std::wstring();
  std::wstring text = SizeText(sample.received, words);
  if (sample.total > 0) {
    text = FillIn(words.ofTotal, text, SizeText(static_cast<std::uint64_t>(sample.total), words));
  }
  if (sample.bytesPerSecond && *sample.bytesPerSecond > 0.0) {
    text += kSeparator + SpeedText(sample, words);
  }
  if (const std::optional<std::uint64_t> seconds = SecondsLeft(sample)) {
    text += kSeparator + FillIn(words.timeLeft, DurationText(*seconds, words));
  }
  return text;
}

}  // namespace

int DownloadPercent(std::uint64_t received, std::int64_t total) noexcept {
  if (total <= 0) return 0;
  const auto whole = static_cast<std::uint64_t>(total);
  if (received >= whole) return 100;
  constexpr std::uint64_t kLargestExact = std::numeric_limits<std::uint64_t>::max() / 100;
  if (received <= kLargestExact) return static_cast<int>(received * 100 / whole);
  // Beyond 2^64 / 100 bytes the product would overflow; whole / 100 is then so large that
  // dividing by it first loses nothing visible.
  return static_cast<int>(std::min<std::uint64_t>(received / (whole / 100), 99));
}

std::wstring SizeText(std::uint64_t bytes, const Translation& words) {
  const wchar_t* const kUnits[] = {words.kilobytes, words.megabytes, words.gigabytes,
                                   words.terabytes};
  if (bytes < 1024) return std::to_wstring(bytes) + L" " + words.bytes;
  long double value = static_cast<long double>(bytes) / 1024.0L;
  std::size_t unit = 0;
  // Rounded to tenths, a value that reaches 1024 is shown in the next unit.
  while (unit + 1 < std::size(kUnits) && std::llround(value * 10.0L) >= 10240) {
    value /= 1024.0L;
    ++unit;
  }
  return Tenths(static_cast<std::uint64_t>(std::llround(value * 10.0L)), words.decimalSeparator) +
         L" " + kUnits[unit];
}

std::wstring DurationText(std::uint64_t seconds, const Translation& words) {
  const auto amount = [](std::uint64_t count, const wchar_t* unit) {
    return std::to_wstring(count) + L" " + unit;
  };
  if (seconds < 60) return amount(seconds, words.seconds);
  if (seconds < 3600) {
    return amount(seconds / 60, words.minutes) + L" " + amount(seconds % 60, words.seconds);
  }
  return amount(seconds / 3600, words.hours) + L" " + amount(seconds % 3600 / 60, words.minutes);
}

std::optional<std::uint64_t> SecondsLeft(const ProgressSample& sample) noexcept {
  if (sample.total <= 0 || !sample.bytesPerSecond || !(*sample.bytesPerSecond > 0.0)) {
    return std::nullopt;
  }
  const auto total = static_cast<std::uint64_t>(sample.total);
  if (sample.received >= total) return 0;
  const double left = static_cast<double>(total - sample.received) / *sample.bytesPerSecond;
  if (!(left < 1e15)) return std::nullopt;  // a crawl: no sensible figure
  return static_cast<std::uint64_t>(std::ceil(left));
}

std::wstring ProgressText(const std::wstring& pattern, const ProgressSample& sample,
                          const std::wstring& route, const Translation& words) {
  if (pattern.empty()) return DefaultText(sample, words);
  struct Placeholder {
    const wchar_t* name;
    std::wstring (*value)(const ProgressSample&, const Translation&);
  };
  static const Placeholder kPlaceholders[] = {
      {L"@PERCENT@", &PercentOf}, {L"@RECEIVED@", &ReceivedText}, {L"@TOTAL@", &TotalText},
      {L"@SPEED@", &SpeedText},   {L"@REMAINING@", &LeftText},
  };
  static const std::wstring kRoute = L"@PROXY@";
  std::wstring text;
  std::size_t at = 0;
  while (at < pattern.size()) {
    bool replaced = false;
    if (pattern.compare(at, kRoute.size(), kRoute) == 0) {
      text += route.empty() ? kUnknown : route;
      at += kRoute.size();
      continue;
    }
    for (const Placeholder& placeholder : kPlaceholders) {
      const std::wstring name = placeholder.name;
      if (pattern.compare(at, name.size(), name) == 0) {
        text += placeholder.value(sample, words);
        at += name.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) text += pattern[at++];
  }
  return text;
}

}  // namespace download
