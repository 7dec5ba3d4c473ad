#include "ui/DialogText.h"

#include "ui/ModuleContext.h"

namespace ui {

gdi::UniqueHFont CreateDialogTextFont(BYTE charset) noexcept {
  return gdi::UniqueHFont(::CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset,
                                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                        DEFAULT_PITCH | FF_DONTCARE, L"Arial"));
}

gdi::UniqueHFont FontInCharset(HFONT font, BYTE charset) noexcept {
  LOGFONTW description{};
  if (::GetObjectW(font != nullptr ? font : ::GetStockObject(DEFAULT_GUI_FONT), sizeof description,
                   &description) == 0) {
    return gdi::UniqueHFont();
  }
  description.lfCharSet = charset;
  return gdi::UniqueHFont(::CreateFontIndirectW(&description));
}

BYTE CharsetFor(download::Script script) noexcept {
  switch (script) {
    case download::Script::Japanese:
      return SHIFTJIS_CHARSET;
    case download::Script::Korean:
      return HANGUL_CHARSET;
    case download::Script::SimplifiedChinese:
      return GB2312_CHARSET;
    case download::Script::TraditionalChinese:
      return CHINESEBIG5_CHARSET;
    case download::Script::Latin:
    case download::Script::Cyrillic:
      break;
  }
  return DEFAULT_CHARSET;
}

std::wstring LoadResourceString(UINT id) {
  // With a buffer size of 0 the string table hands out a read-only pointer to the resource
  // itself, which is not NUL-terminated; the answer is its length.
  const wchar_t* text = nullptr;
  const int length =
      ::LoadStringW(module::ResourceInstance(), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return std::wstring();
  return std::wstring(text, static_cast<std::size_t>(length));
}

void DrawDialogMessage(HDC dc, const RECT& client, int left, const std::wstring& text,
                       HFONT font) noexcept {
  DrawDialogMessageInBand(dc, DialogMessageBand(client, left), text, font);
}

RECT DialogMessageBand(const RECT& client, int left) noexcept {
  return RECT{left, client.bottom / 2 - 30, client.right / 2, client.bottom / 2};
}

void DrawDialogMessageInBand(HDC dc, RECT band, const std::wstring& text, HFONT font) noexcept {
  const gdi::SelectionScope selected(dc, font);
  ::SetBkMode(dc, TRANSPARENT);
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &band,
              DT_END_ELLIPSIS | DT_WORDBREAK | DT_VCENTER | DT_NOPREFIX);
}

}  // namespace ui
