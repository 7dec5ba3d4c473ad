#pragma once
// Real pixels for the user-interface tests: what a window shows on screen, or what a bitmap holds,
// as 32-bit values that compare as COLORREFs.
//
//   msk::test::Pixels shown = msk::test::Pixels::OfWindowClient(window);
//   EXPECT_EQ(shown.At(10, 10), RGB(104, 164, 226));
//
// Not thread-safe; tests use them on the thread that owns the windows.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace msk::test {

class Pixels {
 public:
  // The client area of `window` as it is on screen now (read from its DC after UpdateWindow).
  static Pixels OfWindowClient(HWND window);
  // The contents of `bitmap`.
  static Pixels OfBitmap(HBITMAP bitmap);
  // `width` x `height` pixels painted by `paint` into a fresh DC (filled black first).
  template <typename Paint>
  static Pixels Painted(int width, int height, Paint paint);

  int Width() const noexcept { return width_; }
  int Height() const noexcept { return height_; }
  COLORREF At(int x, int y) const;

  // Writes the pixels as a 24-bit BMP file.
  bool SaveBmp(const std::string& path) const;

  // The first pixel of the rectangle (x, y, width, height) that differs from `other` at
  // (otherX + dx, otherY + dy); empty when they all agree. For readable failure messages.
  std::string FirstDifference(int x, int y, int width, int height, const Pixels& other, int otherX,
                              int otherY) const;

 private:
  class Canvas;
  Pixels(int width, int height) : width_(width), height_(height), bgra_(Size(width, height)) {}
  static std::size_t Size(int width, int height);
  static Pixels FromDc(HDC source, int width, int height);

  int width_;
  int height_;
  std::vector<std::uint32_t> bgra_;  // top-down rows
};

// A memory DC with a 32-bit top-down DIB selected; its pixels become a Pixels value.
class Pixels::Canvas {
 public:
  Canvas(int width, int height);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC Dc() const noexcept { return dc_; }
  Pixels Take() const;

 private:
  int width_;
  int height_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ previous_;
  void* bits_ = nullptr;
};

template <typename Paint>
Pixels Pixels::Painted(int width, int height, Paint paint) {
  Canvas canvas(width, height);
  paint(canvas.Dc());
  return canvas.Take();
}

std::string DescribeColour(COLORREF colour);

// Keeps `pixels` as <name>.bmp in the test run's artifact folder (MSK_TEST_ARTIFACTS_DIR, set by
// the build); does nothing when the build names none.
void SaveArtifact(const Pixels& pixels, const std::string& name);

}  // namespace msk::test
