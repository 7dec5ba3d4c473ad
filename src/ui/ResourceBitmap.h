#pragma once
// Loads a bitmap of the library's resources: from the module resources are loaded from
// (ui::module::ResourceInstance), as a counted GDI owner.
//
//   const ui::gdi::UniqueHBitmap background = ui::LoadResourceBitmap(IDB_BACKGROUND);
//   if (background) ui::PaintBackground(window, background.Get());
//
// The windows ask ui::SkinPicture (ui/SkinPictures.h), which falls back on this when the
// installer's skin has no picture of its own.
//
// Thread-safety: any thread; the bitmap belongs to the caller.

#include "ui/Gdi.h"

#include <windows.h>

namespace ui {

// Bitmap `id` of the resource instance; empty when there is no resource instance or no such bitmap.
gdi::UniqueHBitmap LoadResourceBitmap(UINT id) noexcept;

}  // namespace ui
