#pragma once
// The words the download dialog shows, in each language the library speaks: its heading, its
// Cancel button, and the words and units of the text line under the bar. One row a language,
// chosen by the installer's language (NSIS's $LANGUAGE, a Windows LANGID such as 1031).
//
//   const download::Translation& words = download::TranslationFor(1031);  // German
//   download::FillIn(words.heading, L"setup.exe")   == L"Herunterladen von setup.exe..."
//   download::ProgressText(L"", sample, L"", words) == L"12,3 MB von 48,0 MB · 5,2 MB/s · ..."
//
// A language without a row of its own reads English. Sublanguages share their language's row
// (Austrian German is German), except Chinese: Taiwan, Hong Kong and Macao read Traditional
// Chinese, every other Chinese Simplified. Portuguese is Brazilian Portuguese, the one row there
// is. The words name no place for anything but "%1" (and "%2" where a second value belongs), so
// each language puts them where its grammar wants them.
//
// Read-only data: thread-safe.

#include <cstdint>
#include <string>

namespace download {

// The script a row's words are written in: a font must have its characters.
enum class Script : std::uint8_t {
  Latin,
  Cyrillic,
  Japanese,
  Korean,
  SimplifiedChinese,
  TraditionalChinese
};

struct Translation {
  std::uint16_t language;    // the LANGID the row is written for
  const wchar_t* heading;    // "Downloading %1...": %1 the file's name
  const wchar_t* cancel;     // the Cancel button
  const wchar_t* ofTotal;    // "%1 of %2": received of the whole size
  const wchar_t* timeLeft;   // "%1 left": %1 a duration
  const wchar_t* percent;    // "%1%"
  const wchar_t* perSecond;  // "%1/s": %1 a size
  const wchar_t* seconds;    // the units of a duration: "s", "min", "h"
  const wchar_t* minutes;
  const wchar_t* hours;
  const wchar_t* bytes;  // the units of a size: "B", "KB", "MB", "GB", "TB"
  const wchar_t* kilobytes;
  const wchar_t* megabytes;
  const wchar_t* gigabytes;
  const wchar_t* terabytes;
  wchar_t decimalSeparator;
  Script script;
};

// Every row, English first.
struct TranslationRows {
  const Translation* first;
  const Translation* last;  // one past the end
  const Translation* begin() const noexcept { return first; }
  const Translation* end() const noexcept { return last; }
};
TranslationRows AllTranslations() noexcept;

// The row for `language` (a LANGID), English for any language without one.
const Translation& TranslationFor(std::uint16_t language) noexcept;
// The English row: what the library shows when no language is asked for.
const Translation& English() noexcept;

// `words` with "%1" made `first` and "%2" made `second`.
std::wstring FillIn(const wchar_t* words, const std::wstring& first,
                    const std::wstring& second = std::wstring());

}  // namespace download
