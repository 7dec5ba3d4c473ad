#include "ui/BackgroundPaint.h"

#include "ui/Gdi.h"

namespace ui {

void PaintBackground(HWND window, HBITMAP background) noexcept {
  const gdi::PaintDc paint(window);
  const HDC dc = paint.get();
  {
    // The DC keeps a copy of the clip region; ours can go at once.
    const gdi::UniqueRegion clip(::CreateRectRgnIndirect(&paint.PaintRect()));
    ::SelectClipRgn(dc, clip.get());
  }
  RECT client{};
  ::GetClientRect(window, &client);
  if (background == nullptr) return;
  const gdi::UniqueMemoryDc memory(::CreateCompatibleDC(dc));
  const gdi::SelectionScope selected(memory.get(), background);
  ::BitBlt(dc, 0, 0, client.right - client.left, client.bottom - client.top, memory.get(), 0, 0,
           SRCCOPY);
}

}  // namespace ui
