#pragma once
// The message text of the download and connection-error dialogs: one font, one place on the
// dialog, and the string table it comes from.
//
//   const ui::gdi::UniqueHFont font = ui::CreateDialogTextFont();
//   const std::wstring text = ui::LoadResourceString(IDS_DOWNLOADING);
//   ui::DrawDialogMessage(paintDc, client, 25, text, font.Get());
//
// Thread-safety: no shared state; the drawing belongs to the dialog's thread.

#include "ui/Gdi.h"

#include <windows.h>

#include <string>

namespace ui {

// Arial, 12 pixels high, normal weight, ClearType.
gdi::UniqueHFont CreateDialogTextFont() noexcept;

// String `id` of the resource instance's string table; empty when there is none.
std::wstring LoadResourceString(UINT id);

// Writes `text` in `font` over what is there (transparent background, the DC's text colour),
// word-wrapped into the left half of `client` from `left` on, starting at the top of the 30-pixel
// band that ends at half the client height (DT_VCENTER is passed but, as documented, has no effect
// on wrapped text); what does not fit ends with an ellipsis.
void DrawDialogMessage(HDC dc, const RECT& client, int left, const std::wstring& text,
                       HFONT font) noexcept;
// The band DrawDialogMessage writes into, in `client`'s coordinates.
RECT DialogMessageBand(const RECT& client, int left) noexcept;
// Writes `text` into `band` as DrawDialogMessage does: for a control that holds the message.
void DrawDialogMessageInBand(HDC dc, RECT band, const std::wstring& text, HFONT font) noexcept;

}  // namespace ui
