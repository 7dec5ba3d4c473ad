#pragma once
// The library's skin bitmaps as pixels, loaded from a module that carries its resource script.
//
//   msk::test::Pixels fill = msk::test::SkinBitmap(module, IDB_BAR_FILL);
//
// Not thread-safe.

#include "Pixels.h"

#include <windows.h>

namespace msk::test {

// Bitmap `id` of `module`; an empty picture (and a test failure) when it is missing.
Pixels SkinBitmap(HMODULE module, UINT id);

// The bounding box of the pixels of `pixels` inside `region` that are dark enough to be the
// default black text; empty (all zero) when there are none.
RECT DarkPixels(const Pixels& pixels, const RECT& region);

}  // namespace msk::test
