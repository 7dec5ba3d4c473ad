#include "plugin/DialogTexts.h"

#include "download/Translations.h"

#include <vector>

namespace plugin {
namespace {

std::wstring WindowTitle(HWND window) {
  if (window == nullptr || !::IsWindow(window)) return std::wstring();
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return std::wstring();
  std::vector<wchar_t> title(static_cast<std::size_t>(length) + 1, L'\0');
  return std::wstring(title.data(),
                      static_cast<std::size_t>(::GetWindowTextW(window, title.data(), length + 1)));
}

}  // namespace

void CompleteDialogTexts(ui::DownloadDialogLook& look, std::uint16_t language, HWND installer,
                         const std::wstring& path) {
  const download::Translation& words = download::TranslationFor(language);
  look.words = &words;
  if (look.caption.empty()) look.caption = WindowTitle(installer);
  if (look.heading.empty()) look.heading = download::FillIn(words.heading, FileNameOf(path));
  if (look.cancelText.empty()) look.cancelText = words.cancel;
}

std::wstring FileNameOf(const std::wstring& path) {
  const auto slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace plugin
