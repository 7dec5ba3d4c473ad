#pragma once
// One piece of a skin: a bitmap and a pattern brush made from it, both empty until loaded (the
// installer's own picture, ui/SkinPictures.h, else the skin module's) or cut from a bigger picture.
//
//   ui::PatternPiece fill;
//   fill.Load(IDB_BAR_FILL);  // from the skin module (ui::module::SkinModule)
//   ::FillRect(dc, &rect, fill.Brush());
//
//   ui::PatternPiece behind;  // what a control covers of the dialog's background
//   behind.CutFrom(dialogDc, background, controlRect);
//
// Thread-safety: one thread at a time. Load briefly swaps the module's resource instance, so no
// other thread should load resources through ui::module::ResourceInstance at the same moment.

#include "ui/Gdi.h"

#include <windows.h>

namespace ui {

class PatternPiece {
 public:
  PatternPiece() noexcept = default;

  // Loads picture `id` (ui/SkinPictures.h) and makes the brush. An id of 0 loads nothing and
  // answers false; otherwise what was held is deleted first, and the answer is whether the brush
  // exists. A built-in picture comes from the skin module: the resource instance is exchanged for
  // the skin module handle for the duration of the load and exchanged back afterwards.
  bool Load(UINT id) noexcept;
  // Copies the part `rect` of `source` (a bitmap compatible with `reference`) into a bitmap of its
  // own and makes the brush; what was held is deleted first. Answers whether the brush exists. A
  // control filling itself with the brush from its own origin shows `source` as it lies beneath.
  bool CutFrom(HDC reference, HBITMAP source, const RECT& rect) noexcept;
  void Clear() noexcept;

  HBRUSH Brush() const noexcept { return brush_.Get(); }
  HBITMAP Bitmap() const noexcept { return bitmap_.Get(); }
  // Size of the bitmap; 0 x 0 when empty.
  SIZE Size() const noexcept { return gdi::BitmapSize(bitmap_.Get()); }

 private:
  gdi::UniqueHBitmap bitmap_;
  gdi::UniqueHBrush brush_;  // after the bitmap: deleted before it
};

// Fills `rect` of `dc` with the piece's brush, the pattern starting at the rectangle's top-left
// corner. An empty piece draws nothing.
void FillWithPiece(HDC dc, const RECT& rect, const PatternPiece& piece) noexcept;

}  // namespace ui
