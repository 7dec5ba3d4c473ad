#include "BmpFile.h"

#include <filesystem>
#include <fstream>
#include <vector>

namespace msk::test {

bool WriteBmp(const std::wstring& path, int width, int height, int bitsPerPixel,
              const std::function<COLORREF(int x, int y)>& colour) {
  const int bytesPerPixel = bitsPerPixel / 8;
  const auto stride = static_cast<std::size_t>((width * bytesPerPixel + 3) & ~3);
  const std::size_t imageSize = stride * static_cast<std::size_t>(height);
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = static_cast<DWORD>(file.bfOffBits + imageSize);
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;  // bottom-up
  info.biPlanes = 1;
  info.biBitCount = static_cast<WORD>(bitsPerPixel);
  info.biSizeImage = static_cast<DWORD>(imageSize);
  std::vector<char> rows(imageSize, 0);
  for (int y = 0; y < height; ++y) {
    char* row = rows.data() + stride * static_cast<std::size_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const COLORREF c = colour(x, y);
      char* pixel = row + bytesPerPixel * x;
      pixel[0] = static_cast<char>(GetBValue(c));
      pixel[1] = static_cast<char>(GetGValue(c));
      pixel[2] = static_cast<char>(GetRValue(c));
    }
  }
  std::ofstream out(std::filesystem::path(path), std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(rows.data(), static_cast<std::streamsize>(rows.size()));
  return static_cast<bool>(out);
}

}  // namespace msk::test
