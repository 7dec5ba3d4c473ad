#pragma once
// The line above the download dialog's bar ("Downloading setup.exe..."), as a control that holds
// its text, so that screen readers and tests read it (WM_GETTEXT), drawn over the piece of the
// dialog's background it covers exactly as the dialog drew the text itself before: its font,
// word-wrapped, an ellipsis for what does not fit.
//
//   ui::HeadingLine heading;
//   heading.Create(dialog, kDownloadHeadingControl, band, L"Downloading setup.exe...", font,
//                  background);
//   // in the dialog's WM_DRAWITEM:
//   if (heading.Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
//
// Thread-safety: the dialog's thread only.

#include "ui/PatternPiece.h"

#include <windows.h>

#include <string>

namespace ui {

class HeadingLine {
 public:
  // An owner-drawn STATIC with id `id` over `band` (client coordinates) of `dialog`, holding
  // `text` and drawn in `font` (which must outlive it) over `background` (null: the dialog's
  // face colour). False when the control could not be made.
  bool Create(HWND dialog, int id, const RECT& band, const std::wstring& text, HFONT font,
              HBITMAP background) noexcept;
  // Draws the control for WM_DRAWITEM; false when `item` is another control's.
  bool Draw(const DRAWITEMSTRUCT& item) const noexcept;

 private:
  HWND control_ = nullptr;
  HFONT font_ = nullptr;
  PatternPiece behind_;
};

}  // namespace ui
