#pragma once
// The bitmap border of the skinned progress bar: four edges and four corners. The edges and corners
// are pattern pieces from the skin module; the top edge is a plain bitmap from the resource
// instance, stretched to length (either way the installer's own picture when its skin has one,
// ui/SkinPictures.h).
//
//   ui::SkinFrame frame;                 // loads the pieces
//   frame.Paint(dc, width, height);      // border of the rectangle (0,0)-(width,height)
//   RECT inside{frame.Left(), frame.Top(), width - frame.Right(), height - frame.Bottom()};
//
// Thread-safety: one thread at a time (see PatternPiece).

#include "ui/Gdi.h"
#include "ui/PatternPiece.h"

#include <windows.h>

namespace ui {

class SkinFrame {
 public:
  SkinFrame() noexcept;

  void Paint(HDC dc, int width, int height) const noexcept;

  // Border thicknesses, read from the pieces (0 for a piece that is missing).
  int Left() const noexcept { return left_.Size().cx; }
  int Right() const noexcept { return right_.Size().cx; }
  int Top() const noexcept { return gdi::BitmapSize(top_.Get()).cy; }
  int Bottom() const noexcept { return bottom_.Size().cy; }

 private:
  PatternPiece left_;
  PatternPiece right_;
  PatternPiece bottom_;
  PatternPiece bottomLeft_;
  PatternPiece bottomRight_;
  PatternPiece topLeft_;
  PatternPiece topRight_;
  gdi::UniqueHBitmap top_;
};

}  // namespace ui
