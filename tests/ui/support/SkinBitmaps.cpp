#include "SkinBitmaps.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace msk::test {

Pixels SkinBitmap(HMODULE module, UINT id) {
  const HBITMAP bitmap = ::LoadBitmapW(module, MAKEINTRESOURCEW(id));
  if (bitmap == nullptr) {
    ADD_FAILURE() << "bitmap " << id << " cannot be loaded";
    return Pixels::Painted(0, 0, [](HDC) {});
  }
  Pixels pixels = Pixels::OfBitmap(bitmap);
  ::DeleteObject(bitmap);
  return pixels;
}

RECT DarkPixels(const Pixels& pixels, const RECT& region) {
  RECT box{0, 0, 0, 0};
  bool any = false;
  for (int y = region.top; y < region.bottom; ++y) {
    for (int x = region.left; x < region.right; ++x) {
      const COLORREF colour = pixels.At(x, y);
      if (std::max({GetRValue(colour), GetGValue(colour), GetBValue(colour)}) >= 80) continue;
      if (!any) {
        box = RECT{x, y, x + 1, y + 1};
        any = true;
      }
      box.left = std::min<LONG>(box.left, x);
      box.top = std::min<LONG>(box.top, y);
      box.right = std::max<LONG>(box.right, x + 1);
      box.bottom = std::max<LONG>(box.bottom, y + 1);
    }
  }
  return box;
}

}  // namespace msk::test
