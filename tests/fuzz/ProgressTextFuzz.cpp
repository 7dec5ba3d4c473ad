// Fuzzes the download dialog's text line: any pattern, any sizes and speed, in every language.
//
// Input: 8 bytes received, 8 bytes total, 8 bytes of speed (a double, any bit pattern: NaN and
// infinities included), 1 byte whose lowest bit says whether the speed is known and whose others
// choose the language's row, then the pattern as UTF-32 (4 bytes a character, masked to a valid
// code point range).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "download/ProgressText.h"
#include "download/Translations.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

template <typename T>
T ValueAt(const std::uint8_t* data) {
  T value;
  std::memcpy(&value, data, sizeof value);
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 25) return 0;
  download::ProgressSample sample;
  sample.received = ValueAt<std::uint64_t>(data);
  sample.total = ValueAt<std::int64_t>(data + 8);
  if (data[24] & 1) sample.bytesPerSecond = ValueAt<double>(data + 16);
  std::wstring pattern;
  for (std::size_t i = 25; i + 4 <= size; i += 4) {
    pattern.push_back(static_cast<wchar_t>(ValueAt<std::uint32_t>(data + i) & 0x10FFFF));
  }

  const download::TranslationRows rows = download::AllTranslations();
  const auto row = static_cast<std::ptrdiff_t>((data[24] >> 1) % (rows.end() - rows.begin()));
  const download::Translation& words = rows.begin()[row];

  const int percent = download::DownloadPercent(sample.received, sample.total);
  Require(percent >= 0 && percent <= 100);
  (void)download::SizeText(sample.received, words);
  (void)download::DurationText(sample.received, words);
  (void)download::SecondsLeft(sample);
  const std::wstring text = download::ProgressText(pattern, sample, L"proxy:3128", words);
  // Filling in placeholders adds at most a bounded text for each; it never explodes.
  Require(text.size() <= pattern.size() * 16 + 256);
  return 0;
}
