#include "ui/HeadingLine.h"

#include "ui/DialogText.h"
#include "ui/ModuleContext.h"

#include <vector>

namespace ui {

bool HeadingLine::Create(HWND dialog, int id, const RECT& band, const std::wstring& text,
                         HFONT font, HBITMAP background) noexcept {
  font_ = font;
  control_ = ::CreateWindowExW(
      0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_OWNERDRAW | SS_NOPREFIX, band.left,
      band.top, band.right - band.left, band.bottom - band.top, dialog,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module::ResourceInstance(), nullptr);
  if (control_ == nullptr) return false;
  ::SendMessageW(control_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (background != nullptr) {
    const gdi::WindowDc dc(dialog);
    behind_.CutFrom(dc.Get(), background, band);
  }
  return true;
}

bool HeadingLine::Draw(const DRAWITEMSTRUCT& item) const noexcept {
  if (control_ == nullptr || item.hwndItem != control_) return false;
  const HDC dc = item.hDC;
  if (behind_.Brush() != nullptr) {
    FillWithPiece(dc, item.rcItem, behind_);
  } else {
    ::FillRect(dc, &item.rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
  }
  try {
    const int length = ::GetWindowTextLengthW(control_);
    std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1, L'\0');
    ::GetWindowTextW(control_, text.data(), length + 1);
    // Black, as the text has always been on the skin, whatever the system's colours.
    ::SetTextColor(dc, RGB(0, 0, 0));
    DrawDialogMessageInBand(dc, item.rcItem, text.data(), font_);
  } catch (...) {
    // Out of memory for the text: the background alone until the next paint.
  }
  return true;
}

}  // namespace ui
