#pragma once
// Bitmap files for the user-interface tests: pictures a skin folder is made of, and screenshots the
// tests keep.
//
//   msk::test::WriteBmp(L"C:\\skin\\background.bmp", 550, 370, 24,
//                       [](int x, int y) { return RGB(x % 256, y % 256, 0); });
//
// Thread-safe (it writes the one file it is given).

#include <windows.h>

#include <functional>
#include <string>

namespace msk::test {

// Writes an uncompressed bottom-up BMP of 24 or 32 bits per pixel; false when it cannot.
bool WriteBmp(const std::wstring& path, int width, int height, int bitsPerPixel,
              const std::function<COLORREF(int x, int y)>& colour);

}  // namespace msk::test
