#pragma once
// Owners for GDI objects and display contexts, one alias of Tools::UniqueHandle per handle kind,
// plus scopes for the temporary state of a DC.
//
//   ui::gdi::UniqueHBitmap bitmap = ui::LoadResourceBitmap(IDB_BACKGROUND);  // ResourceBitmap.h
//   ui::gdi::UniqueHdc memory(::CreateCompatibleDC(target));
//   ui::gdi::SelectionScope selected(memory.Get(), bitmap.Get());  // put back at scope end
//   ::BitBlt(target, 0, 0, 10, 10, memory.Get(), 0, 0, SRCCOPY);
//
// Destruction order matters for GDI: declare a scope after the owners it refers to, so the object
// is deselected before it is deleted.
//
// Every owned GDI object (bitmaps, brushes, fonts, regions, memory DCs) is counted while it lives,
// so a test can prove that a workload gave back everything it created (ui/ForTesting.h).
//
// Thread-safety: owners and scopes are plain values for one thread; the count is atomic.

#include "tools/UniqueHandle.h"

#include <windows.h>

#include <cstddef>

namespace ui::gdi {

namespace detail {
void AddToLiveObjectCount(std::ptrdiff_t change) noexcept;

// A GDI handle closed with `Delete`, counted while it is owned.
template <typename Handle, auto Delete>
struct GdiTraits : Tools::HandleTraits<Handle, Delete> {
  static void CountForTesting(std::ptrdiff_t change) noexcept { AddToLiveObjectCount(change); }
};
}  // namespace detail

using UniqueHBitmap = Tools::UniqueHandle<detail::GdiTraits<HBITMAP, &::DeleteObject>>;
using UniqueHBrush = Tools::UniqueHandle<detail::GdiTraits<HBRUSH, &::DeleteObject>>;
using UniqueHFont = Tools::UniqueHandle<detail::GdiTraits<HFONT, &::DeleteObject>>;
using UniqueHRgn = Tools::UniqueHandle<detail::GdiTraits<HRGN, &::DeleteObject>>;
// A DC of its own (CreateCompatibleDC), deleted with DeleteDC; a window's DC is a WindowDc.
using UniqueHdc = Tools::UniqueHandle<detail::GdiTraits<HDC, &::DeleteDC>>;

// The DC of a window from GetDC, released with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  HDC Get() const noexcept { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint ... EndPaint.
class PaintDc {
 public:
  explicit PaintDc(HWND window) noexcept : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  ~PaintDc() { ::EndPaint(window_, &paint_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;

  HDC Get() const noexcept { return dc_; }
  // The rectangle that needs painting, in client coordinates.
  const RECT& PaintRect() const noexcept { return paint_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back at scope end. A null object or DC
// selects nothing.
class SelectionScope {
 public:
  SelectionScope(HDC dc, HGDIOBJ object) noexcept
      : dc_(dc),
        previous_(dc != nullptr && object != nullptr ? ::SelectObject(dc, object) : nullptr) {}
  ~SelectionScope() {
    if (previous_ != nullptr) ::SelectObject(dc_, previous_);
  }
  SelectionScope(const SelectionScope&) = delete;
  SelectionScope& operator=(const SelectionScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// The width and height of a bitmap; 0 x 0 for null or an unreadable handle.
SIZE BitmapSize(HBITMAP bitmap) noexcept;

}  // namespace ui::gdi
