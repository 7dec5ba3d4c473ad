#include "download/ProgressText.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace download {
namespace {

constexpr const wchar_t* kUnknown = L"?";
constexpr const wchar_t* kSeparator = L" \u00B7 ";  // a middle dot between spaces

// `value` tenths as "12.3".
std::wstring Tenths(std::uint64_t value) {
  return std::to_wstring(value / 10) + L"." + std::to_wstring(value % 10);
}

std::wstring PercentOf(const ProgressSample& sample) {
  if (sample.total <= 0) return kUnknown;
  return std::to_wstring(DownloadPercent(sample.received, sample.total)) + L"%";
}

std::wstring SpeedText(const ProgressSample& sample) {
  if (!sample.bytesPerSecond || !(*sample.bytesPerSecond >= 0.0)) return kUnknown;
  return SizeText(static_cast<std::uint64_t>(std::llround(*sample.bytesPerSecond))) + L"/s";
}

std::wstring LeftText(const ProgressSample& sample) {
  const std::optional<std::uint64_t> seconds = SecondsLeft(sample);
  return seconds ? DurationText(*seconds) : kUnknown;
}

std::wstring DefaultText(const ProgressSample& sample) {
  if (sample.received == 0 && sample.total <= 0) return std::wstring();
  std::wstring text = SizeText(sample.received);
  if (sample.total > 0) text += L" of " + SizeText(static_cast<std::uint64_t>(sample.total));
  if (sample.bytesPerSecond && *sample.bytesPerSecond > 0.0) text += kSeparator + SpeedText(sample);
  if (const std::optional<std::uint64_t> seconds = SecondsLeft(sample)) {
    text += kSeparator + DurationText(*seconds) + L" left";
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

std::wstring SizeText(std::uint64_t bytes) {
  static constexpr const wchar_t* kUnits[] = {L"KB", L"MB", L"GB", L"TB"};
  if (bytes < 1024) return std::to_wstring(bytes) + L" B";
  long double value = static_cast<long double>(bytes) / 1024.0L;
  std::size_t unit = 0;
  // Rounded to tenths, a value that reaches 1024 is shown in the next unit.
  while (unit + 1 < std::size(kUnits) && std::llround(value * 10.0L) >= 10240) {
    value /= 1024.0L;
    ++unit;
  }
  return Tenths(static_cast<std::uint64_t>(std::llround(value * 10.0L))) + L" " + kUnits[unit];
}

std::wstring DurationText(std::uint64_t seconds) {
  if (seconds < 60) return std::to_wstring(seconds) + L" s";
  if (seconds < 3600) {
    return std::to_wstring(seconds / 60) + L" min " + std::to_wstring(seconds % 60) + L" s";
  }
  return std::to_wstring(seconds / 3600) + L" h " + std::to_wstring(seconds % 3600 / 60) + L" min";
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
                          const std::wstring& route) {
  if (pattern.empty()) return DefaultText(sample);
  struct Placeholder {
    const wchar_t* name;
    std::wstring (*value)(const ProgressSample&);
  };
  static const Placeholder kPlaceholders[] = {
      {L"@PERCENT@", &PercentOf},
      {L"@RECEIVED@", [](const ProgressSample& s) { return SizeText(s.received); }},
      {L"@TOTAL@",
       [](const ProgressSample& s) {
         return s.total > 0 ? SizeText(static_cast<std::uint64_t>(s.total)) : kUnknown;
       }},
      {L"@SPEED@", &SpeedText},
      {L"@REMAINING@", &LeftText},
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
        text += placeholder.value(sample);
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
