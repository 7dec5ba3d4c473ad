#pragma once
// The message text of the download and connection-error dialogs: one font, one place on the
// dialog, and the string table it comes from.
//
//   const ui::gdi::UniqueHFont font = ui::CreateDialogTextFont();
//   const std::wstring text = ui::LoadResourceString(IDS_DOWNLOADING);
//   ui::DrawDialogMessage(paintDc, client, 25, text, font.Get());
//
// Thread-safety: no shared state; the drawing belongs to the dialog's thread.

#include "download/Translations.h"
#include "ui/Gdi.h"

#include <windows.h>

#include <string>

namespace ui {

// Arial, 12 pixels high, normal weight, ClearType; in `charset` (GDI's character set), for which
// the system takes a font that has its characters where Arial has none.
gdi::UniqueHFont CreateDialogTextFont(BYTE charset = DEFAULT_CHARSET) noexcept;
// `font` (null: the system's) again in `charset`; null when it cannot be made.
gdi::UniqueHFont FontInCharset(HFONT font, BYTE charset) noexcept;

// The character set a font needs for words in `script`: Japanese, Korean and the two Chinese
// scripts have their own, whose characters Arial and the dialog font lack; DEFAULT_CHARSET for
// Latin and Cyrillic, which they have.
BYTE CharsetFor(download::Script script) noexcept;

// String `id` of the resource instance's string table; empty when there is none.
std::wstring LoadResourceString(UINT id);

// Writes `text` in `font` over what is there (transparent background, the DC's text colour),
// word-wrapped into the left half of `client` from `left` on, starting at the top of the 30-pixel
// band that ends at half the client height (DT_VCENTER is passed but, as documented, has no effect
// on wrapped text); what does not fit ends with an ellipsis. "&" is written as it is (a file name
// or a script's heading may hold one), never taken for the mark of an underlined letter.
void DrawDialogMessage(HDC dc, const RECT& client, int left, const std::wstring& text,
                       HFONT font) noexcept;
// The band DrawDialogMessage writes into, in `client`'s coordinates.
RECT DialogMessageBand(const RECT& client, int left) noexcept;
// Writes `text` into `band` as DrawDialogMessage does: for a control that holds the message.
void DrawDialogMessageInBand(HDC dc, RECT band, const std::wstring& text, HFONT font) noexcept;

}  // namespace ui
