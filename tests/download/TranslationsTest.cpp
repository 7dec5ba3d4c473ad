// The dialog's words in the installer's language: every row complete, each LANGID led to its row,
// and the text line as German and Japanese installers show it.
#include "download/ProgressText.h"
#include "download/Translations.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using download::ProgressSample;
using download::Translation;
using download::TranslationFor;

bool Holds(const wchar_t* words, const wchar_t* part) {
  return words != nullptr && std::wstring(words).find(part) != std::wstring::npos;
}

TEST(Translations, EveryRowFillsEveryField) {
  std::set<std::uint16_t> languages;
  for (const Translation& row : download::AllTranslations()) {
    SCOPED_TRACE(row.language);
    EXPECT_TRUE(languages.insert(row.language).second) << "a second row for the language";
    EXPECT_TRUE(Holds(row.heading, L"%1"));
    EXPECT_TRUE(Holds(row.ofTotal, L"%1") && Holds(row.ofTotal, L"%2"));
    EXPECT_TRUE(Holds(row.timeLeft, L"%1"));
    EXPECT_TRUE(Holds(row.percent, L"%1"));
    EXPECT_TRUE(Holds(row.perSecond, L"%1"));
    for (const wchar_t* word : {row.cancel, row.seconds, row.minutes, row.hours, row.bytes,
                                row.kilobytes, row.megabytes, row.gigabytes, row.terabytes}) {
      EXPECT_TRUE(word != nullptr && *word != L'\0');
    }
    EXPECT_TRUE(row.decimalSeparator == L'.' || row.decimalSeparator == L',');
    EXPECT_EQ(&TranslationFor(row.language), &row);
  }
  EXPECT_EQ(languages.size(), 13u);
}

TEST(Translations, LanguagesLeadToTheirRowsAndEverythingElseToEnglish) {
  const std::pair<std::uint16_t, std::uint16_t> cases[] = {
      {3079, 1031},  // German (Austria)
      {2055, 1031},  // German (Switzerland)
      {2070, 1046},  // Portuguese (Portugal): the one Portuguese row
      {3082, 1034},  // Spanish, modern sort
      {4100, 2052},  // Chinese (Singapore): Simplified
      {3076, 1028},  // Chinese (Hong Kong): Traditional
      {5124, 1028},  // Chinese (Macao): Traditional
      {2057, 1033},  // English (United Kingdom)
      {1043, 1033},  // Dutch: no row
      {0, 1033},     // $LANGUAGE unreadable
  };
  for (const auto& [language, row] : cases) {
    EXPECT_EQ(TranslationFor(language).language, row) << language;
  }
}

TEST(Translations, TextLineInTheInstallersLanguage) {
  struct Case {
    std::uint16_t language;
    const wchar_t* pattern;
    ProgressSample sample;
    const wchar_t* text;
  };
  const Case cases[] = {
      {1031,
       L"",
       {12900000, 50331648, 5452595.0},
       L"12,3 MB von 48,0 MB \u00B7 5,2 MB/s \u00B7 7 s verbleibend"},
      {1041,
       L"",
       {12900000, 50331648, 5452595.0},
       L"12.3 MB / 48.0 MB \u00B7 5.2 MB/秒 \u00B7 残り 7 秒"},
      {1041, L"@PERCENT@ @REMAINING@", {1048576, 3145728, 100.0}, L"33% 5 時間 49 分"},
      {1036, L"@RECEIVED@ @SPEED@", {1536, 0, 512.0}, L"1,5 Ko 512 o/s"},
      {1055, L"@PERCENT@", {1, 4, std::nullopt}, L"%25"},
      {1049, L"@REMAINING@", {0, 1000, 10.0}, L"1 мин 40 с"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(download::ProgressText(c.pattern, c.sample, L"", TranslationFor(c.language)), c.text)
        << c.language << " " << c.pattern;
  }
}

TEST(Translations, HeadingNamesTheFile) {
  EXPECT_EQ(download::FillIn(TranslationFor(1031).heading, L"datei.exe"),
            L"Herunterladen von datei.exe...");
  EXPECT_EQ(download::FillIn(TranslationFor(1041).heading, L"setup.exe"),
            L"setup.exe をダウンロードしています...");
  EXPECT_EQ(download::FillIn(TranslationFor(9999).heading, L"50% off.exe"),
            L"Downloading 50% off.exe...");  // the file's own "%" stays
}

}  // namespace
