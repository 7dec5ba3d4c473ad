#pragma once
// The line under the download dialog's bar: how much has arrived, of how much, how fast and how
// long the rest will take, from a pattern with placeholders or in the default wording.
//
//   download::ProgressSample sample{12900000, 50331648, 5452595.0};
//   download::ProgressText(L"", sample)                  == L"12.3 MB of 48.0 MB · 5.2 MB/s · 7 s
//   left" download::ProgressText(L"@PERCENT@ done", sample)    == L"25% done"
//
// Placeholders: @PERCENT@ ("25%"), @RECEIVED@ and @TOTAL@ (sizes as SizeText writes them),
// @SPEED@ ("5.2 MB/s"), @REMAINING@ (as DurationText writes it), @PROXY@ (the route: "direct" or
// "proxy:3128"); one that cannot be known yet (no size, no speed, no route) becomes "?". The
// default wording leaves out what is unknown: "12.3 MB · 5.2 MB/s" without a size, nothing before
// the first byte.
//
// Each function takes the words of the installer's language (download/Translations.h); English
// when none is given. Only the dialog shows them: result lines for scripts stay English.
//
// Pure functions: thread-safe.

#include "download/Translations.h"

#include <cstdint>
#include <optional>
#include <string>

namespace download {

struct ProgressSample {
  std::uint64_t received = 0;
  std::int64_t total = 0;                // 0 or less: unknown
  std::optional<double> bytesPerSecond;  // absent until measured
};

// received x 100 / total, 0 while the total is unknown (0 or less), at most 100; exact for any
// size a file can have.
int DownloadPercent(std::uint64_t received, std::int64_t total) noexcept;

// Bytes in binary units with one decimal: "512 B", "1.0 KB", "12.3 MB", "2.0 GB", "1.5 TB".
std::wstring SizeText(std::uint64_t bytes, const Translation& words = English());
// "8 s", "3 min 5 s", "2 h 14 min".
std::wstring DurationText(std::uint64_t seconds, const Translation& words = English());
// Whole seconds the rest takes at the sample's speed; absent without size or speed.
std::optional<std::uint64_t> SecondsLeft(const ProgressSample& sample) noexcept;
// `pattern` with its placeholders filled in; an empty pattern gives the default wording. `route`:
// "direct" or the proxy ("proxy:3128"); empty while unknown (the environment's proxy).
std::wstring ProgressText(const std::wstring& pattern, const ProgressSample& sample,
                          const std::wstring& route = std::wstring(),
                          const Translation& words = English());

}  // namespace download
