#include "ui/SkinFrame.h"

#include "res/resource.h"
#include "ui/SkinPictures.h"

namespace ui {

SkinFrame::SkinFrame() noexcept {
  left_.Load(IDB_BAR_LEFT);
  right_.Load(IDB_BAR_RIGHT);
  bottom_.Load(IDB_BAR_BOTTOM);
  bottomLeft_.Load(IDB_BAR_BOTTOM_LEFT);
  bottomRight_.Load(IDB_BAR_BOTTOM_RIGHT);
  topLeft_.Load(IDB_BAR_TOP_LEFT);
  topRight_.Load(IDB_BAR_TOP_RIGHT);
  top_ = SkinPicture(IDB_BAR_TOP);
}

void SkinFrame::Paint(HDC dc, int width, int height) const noexcept {
  const int l = Left();
  const int r = Right();
  const int t = Top();
  const int b = Bottom();
  FillWithPiece(dc, RECT{0, t, l, height - b}, left_);
  FillWithPiece(dc, RECT{width - r, t, width, height - b}, right_);
  FillWithPiece(dc, RECT{l, height - b, width - r, height}, bottom_);
  FillWithPiece(dc, RECT{0, height - b, l, height}, bottomLeft_);
  FillWithPiece(dc, RECT{width - r, height - b, width, height}, bottomRight_);
  if (top_) {
    const SIZE size = gdi::BitmapSize(top_.Get());
    gdi::UniqueHdc memory(::CreateCompatibleDC(dc));
    gdi::SelectionScope selected(memory.Get(), top_.Get());
    ::StretchBlt(dc, l, 0, width - r - l, t, memory.Get(), 0, 0, size.cx, size.cy, SRCCOPY);
  }
  FillWithPiece(dc, RECT{0, 0, l, t}, topLeft_);
  FillWithPiece(dc, RECT{width - r, 0, width, t}, topRight_);
}

}  // namespace ui
