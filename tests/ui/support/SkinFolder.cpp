#include "SkinFolder.h"

#include "BmpFile.h"
#include "SkinBitmaps.h"

namespace msk::test {

COLORREF Swapped(COLORREF colour) noexcept {
  return RGB(GetBValue(colour), GetGValue(colour), GetRValue(colour));
}

bool WriteSwappedPiece(const std::wstring& folder, const wchar_t* file, HMODULE module, UINT id) {
  const Pixels builtIn = SkinBitmap(module, id);
  return WriteBmp(folder + L"\\" + file, builtIn.Width(), builtIn.Height(), 24,
                  [&](int x, int y) { return Swapped(builtIn.At(x, y)); });
}

}  // namespace msk::test
