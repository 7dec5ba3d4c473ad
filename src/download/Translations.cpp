#include "download/Translations.h"

#include <iterator>

namespace download {
namespace {

// One row a language, its fields in Translation's order: language, heading, cancel, ofTotal,
// timeLeft, percent, perSecond, seconds, minutes, hours, bytes, kilobytes, megabytes, gigabytes,
// terabytes, decimal separator, script
constexpr Translation kRows[] = {
    {1033, L"Downloading %1...", L"Cancel", L"%1 of %2", L"%1 left", L"%1%", L"%1/s", L"s", L"min",
     L"h", L"B", L"KB", L"MB", L"GB", L"TB", L'.', Script::Latin},
    {1031, L"Herunterladen von %1...", L"Abbrechen", L"%1 von %2", L"%1 verbleibend", L"%1\u00A0%",
     L"%1/s", L"s", L"min", L"h", L"B", L"KB", L"MB", L"GB", L"TB", L',', Script::Latin},
    {1036, L"Téléchargement de %1...", L"Annuler", L"%1 sur %2", L"%1 restantes", L"%1\u00A0%",
     L"%1/s", L"s", L"min", L"h", L"o", L"Ko", L"Mo", L"Go", L"To", L',', Script::Latin},
    {1034, L"Descargando %1...", L"Cancelar", L"%1 de %2", L"quedan %1", L"%1%", L"%1/s", L"s",
     L"min", L"h", L"B", L"KB", L"MB", L"GB", L"TB", L',', Script::Latin},
    {1040, L"Download di %1 in corso...", L"Annulla", L"%1 di %2", L"%1 rimanenti", L"%1%", L"%1/s",
     L"s", L"min", L"h", L"B", L"KB", L"MB", L"GB", L"TB", L',', Script::Latin},
    {1046, L"Baixando %1...", L"Cancelar", L"%1 de %2", L"%1 restantes", L"%1%", L"%1/s", L"s",
     L"min", L"h", L"B", L"KB", L"MB", L"GB", L"TB", L',', Script::Latin},
    {1049, L"Загрузка %1...", L"Отмена", L"%1 из %2", L"осталось %1", L"%1\u00A0%", L"%1/с", L"с",
     L"мин", L"ч", L"Б", L"КБ", L"МБ", L"ГБ", L"ТБ", L',', Script::Cyrillic},
    {1045, L"Pobieranie %1...", L"Anuluj", L"%1 z %2", L"pozostało %1", L"%1%", L"%1/s", L"s",
     L"min", L"godz.", L"B", L"KB", L"MB", L"GB", L"TB", L',', Script::Latin},
    {1055, L"%1 indiriliyor...", L"İptal", L"%1 / %2", L"%1 kaldı", L"%%1", L"%1/sn", L"sn", L"dk",
     L"sa", L"B", L"KB", L"MB", L"GB", L"TB", L',', Script::Latin},
    {1041, L"%1 をダウンロードしています...", L"キャンセル", L"%1 / %2", L"残り %1", L"%1%",
     L"%1/秒", L"秒", L"分", L"時間", L"B", L"KB", L"MB", L"GB", L"TB", L'.', Script::Japanese},
    {1042, L"%1 다운로드 중...", L"취소", L"%1 / %2", L"%1 남음", L"%1%", L"%1/초", L"초", L"분",
     L"시간", L"B", L"KB", L"MB", L"GB", L"TB", L'.', Script::Korean},
    {2052, L"正在下载 %1...", L"取消", L"%1 / %2", L"剩余 %1", L"%1%", L"%1/秒", L"秒", L"分钟",
     L"小时", L"B", L"KB", L"MB", L"GB", L"TB", L'.', Script::SimplifiedChinese},
    {1028, L"正在下載 %1...", L"取消", L"%1 / %2", L"剩餘 %1", L"%1%", L"%1/秒", L"秒", L"分鐘",
     L"小時", L"B", L"KB", L"MB", L"GB", L"TB", L'.', Script::TraditionalChinese},
};

// Languages whose primary language's row is not theirs: Chinese as Taiwan, Hong Kong and Macao
// write it (and the neutral Traditional Chinese) reads Traditional; the primary language's first
// row, Simplified, serves Singapore and the rest.
struct SameAs {
  std::uint16_t language;
  std::uint16_t row;
};
constexpr SameAs kSameAs[] = {{3076, 1028}, {5124, 1028}, {31748, 1028}};

constexpr std::uint16_t Primary(std::uint16_t language) noexcept {
  return language & 0x3FF;
}

const Translation* Exactly(std::uint16_t language) noexcept {
  for (const Translation& row : kRows) {
    if (row.language == language) return &row;
  }
  return nullptr;
}

}  // namespace

TranslationRows AllTranslations() noexcept {
  return {std::begin(kRows), std::end(kRows)};
}

const Translation& English() noexcept {
  return kRows[0];
}

const Translation& TranslationFor(std::uint16_t language) noexcept {
  if (const Translation* row = Exactly(language)) return *row;
  for (const SameAs& mapping : kSameAs) {
    if (mapping.language == language) return *Exactly(mapping.row);
  }
  for (const Translation& row : kRows) {
    if (Primary(row.language) == Primary(language)) return row;
  }
  return English();
}

std::wstring FillIn(const wchar_t* words, const std::wstring& first, const std::wstring& second) {
  const std::wstring pattern = words != nullptr ? words : L"";
  std::wstring text;
  std::size_t at = 0;
  while (at < pattern.size()) {
    if (pattern[at] == L'%' && at + 1 < pattern.size() &&
        (pattern[at + 1] == L'1' || pattern[at + 1] == L'2')) {
      text += pattern[at + 1] == L'1' ? first : second;
      at += 2;
    } else {
      text += pattern[at++];
    }
  }
  return text;
}

}  // namespace download
