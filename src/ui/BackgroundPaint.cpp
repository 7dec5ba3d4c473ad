#include "ui/BackgroundPaint.h"

#include "ui/Gdi.h"

namespace ui {

void PaintBackground(HWND window, HBITMAP background) noexcept {
  const gdi::PaintDc paint(window);
  const HDC dc = paint.Get();
  {
    // The DC keeps a copy of the clip region; ours can go at once.
    const gdi::UniqueHRgn clip(::CreateRectRgnIndirect(&paint.PaintRect()));
    ::SelectClipRgn(dc, clip.Get());
  }
  RECT client{};
  ::GetClientRect(window, &client);
  if (background == nullptr) return;
  const gdi::UniqueHdc memory(::CreateCompatibleDC(dc));
  const gdi::SelectionScope selected(memory.Get(), background);
  ::BitBlt(dc, 0, 0, client.right - client.left, client.bottom - client.top, memory.Get(), 0, 0,
           SRCCOPY);
}

}  // namespace ui
