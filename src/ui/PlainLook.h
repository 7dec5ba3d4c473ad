#pragma once
// The neutral look (MarlowSetupKit::Skin /PLAIN, ui/SkinPictures.h): what the dialogs and the bar
// draw instead of our pictures, in the system's colours only.
//
//   if (!background) ui::FillPlainBackground(dc, client);    // the dialog's face
//   ui::PaintPlainBar(dc, client, ui::Span{0, 120}, L"45%");  // in the bar's WM_PAINT
//
// Thread-safety: no state; the drawing belongs to the window's thread.

#include "ui/ProgressGeometry.h"

#include <windows.h>

#include <string>

namespace ui {

// Inset of the bar's area from its client rectangle: the one-pixel sunken edge.
inline constexpr int kPlainBarEdge = 1;

// Fills `rect` with the dialog face colour (COLOR_BTNFACE).
void FillPlainBackground(HDC dc, const RECT& rect) noexcept;

// A progress bar as the system would draw it: a sunken edge around `client`, the part `fill` of
// the area inside it (relative to the area) in the selection colour, the rest in the window
// colour, and `text` centred over both, legible on each.
void PaintPlainBar(HDC dc, const RECT& client, Span fill, const std::wstring& text) noexcept;

}  // namespace ui
