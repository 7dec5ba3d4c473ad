#pragma once
// The WM_PAINT of the installer and uninstaller skins: the background bitmap copied at its natural
// size to the client area's top-left corner, clipped to the area that needs painting. Never
// stretched or tiled; what lies beyond the bitmap is not painted.
//
// Thread-safety: the window's thread.

#include <windows.h>

namespace ui {

// Paints `window` (between BeginPaint and EndPaint) with `background`; a null bitmap paints
// nothing but still validates the window.
void PaintBackground(HWND window, HBITMAP background) noexcept;

}  // namespace ui
