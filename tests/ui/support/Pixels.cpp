#include "Pixels.h"

#include "BmpFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace msk::test {

std::size_t Pixels::Size(int width, int height) {
  return width > 0 && height > 0
             ? static_cast<std::size_t>(width) * static_cast<std::size_t>(height)
             : 0u;
}

Pixels::Canvas::Canvas(int width, int height)
    : width_(width), height_(height), dc_(::CreateCompatibleDC(nullptr)) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  bitmap_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
  previous_ = ::SelectObject(dc_, bitmap_);
  if (bitmap_ == nullptr) ADD_FAILURE() << "CreateDIBSection failed";
}

Pixels::Canvas::~Canvas() {
  ::SelectObject(dc_, previous_);
  ::DeleteObject(bitmap_);
  ::DeleteDC(dc_);
}

Pixels Pixels::Canvas::Take() const {
  ::GdiFlush();
  Pixels pixels(width_, height_);
  if (bits_ != nullptr) {
    std::memcpy(pixels.bgra_.data(), bits_, pixels.bgra_.size() * sizeof(std::uint32_t));
  }
  return pixels;
}

Pixels Pixels::FromDc(HDC source, int width, int height) {
  Canvas canvas(width, height);
  ::BitBlt(canvas.Dc(), 0, 0, width, height, source, 0, 0, SRCCOPY);
  return canvas.Take();
}

Pixels Pixels::OfWindowClient(HWND window) {
  ::UpdateWindow(window);
  RECT client{};
  ::GetClientRect(window, &client);
  const HDC dc = ::GetDC(window);
  Pixels pixels = FromDc(dc, client.right, client.bottom);
  ::ReleaseDC(window, dc);
  return pixels;
}

Pixels Pixels::OfBitmap(HBITMAP bitmap) {
  BITMAP info{};
  if (::GetObjectW(bitmap, sizeof info, &info) != sizeof info) {
    ADD_FAILURE() << "not a bitmap";
    return Pixels(0, 0);
  }
  const HDC source = ::CreateCompatibleDC(nullptr);
  const HGDIOBJ previous = ::SelectObject(source, bitmap);
  Pixels pixels = FromDc(source, info.bmWidth, info.bmHeight);
  ::SelectObject(source, previous);
  ::DeleteDC(source);
  return pixels;
}

COLORREF Pixels::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) {
    ADD_FAILURE() << "pixel " << x << "," << y << " outside " << width_ << "x" << height_;
    return CLR_INVALID;
  }
  const std::uint32_t bgra = bgra_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                                   static_cast<std::size_t>(x)];
  return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
}

std::string Pixels::FirstDifference(int x, int y, int width, int height, const Pixels& other,
                                    int otherX, int otherY) const {
  for (int dy = 0; dy < height; ++dy) {
    for (int dx = 0; dx < width; ++dx) {
      const COLORREF mine = At(x + dx, y + dy);
      const COLORREF theirs = other.At(otherX + dx, otherY + dy);
      if (mine != theirs) {
        return "at " + std::to_string(x + dx) + "," + std::to_string(y + dy) + ": " +
               DescribeColour(mine) + " instead of " + DescribeColour(theirs);
      }
    }
  }
  return {};
}

bool Pixels::SaveBmp(const std::string& path) const {
  return WriteBmp(std::wstring(path.begin(), path.end()), width_, height_, 24,
                  [this](int x, int y) { return At(x, y); });
}

void SaveArtifact(const Pixels& pixels, const std::string& name) {
#ifdef MSK_TEST_ARTIFACTS_DIR
  const std::string directory = MSK_TEST_ARTIFACTS_DIR;
  ::CreateDirectoryA(directory.c_str(), nullptr);
  const std::string path = directory + "\\" + name + ".bmp";
  if (!pixels.SaveBmp(path)) ADD_FAILURE() << "cannot write " << path;
#else
  (void)pixels;
  (void)name;
#endif
}

std::string DescribeColour(COLORREF colour) {
  char text[32];
  std::snprintf(text, sizeof text, "rgb(%u,%u,%u)", GetRValue(colour), GetGValue(colour),
                GetBValue(colour));
  return text;
}

}  // namespace msk::test
