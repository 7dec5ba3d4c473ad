#pragma once
// Owners for GDI objects and display contexts, one type per handle kind (in the manner of wil's
// unique_any), plus scopes for the temporary state of a DC.
//
//   ui::gdi::UniqueBitmap bitmap(::LoadBitmapW(instance, MAKEINTRESOURCEW(102)));
//   ui::gdi::UniqueMemoryDc memory(::CreateCompatibleDC(target));
//   ui::gdi::SelectionScope selected(memory.get(), bitmap.get());  // put back at scope end
//   ::BitBlt(target, 0, 0, 10, 10, memory.get(), 0, 0, SRCCOPY);
//
// Destruction order matters for GDI: declare a scope after the owners it refers to, so the object
// is deselected before it is deleted.
//
// Every owned GDI object (bitmaps, brushes, fonts, regions, memory DCs) is counted while it lives,
// so a test can prove that a workload gave back everything it created (ui/ForTesting.h).
//
// Thread-safety: owners and scopes are plain values for one thread; the count is atomic.

#include <windows.h>

#include <cstddef>
#include <utility>

namespace ui::gdi {

namespace detail {
void CountCreated() noexcept;
void CountDeleted() noexcept;

struct DeleteGdiObject {
  void operator()(HGDIOBJ object) const noexcept { ::DeleteObject(object); }
};
struct DeleteMemoryDc {
  void operator()(HDC dc) const noexcept { ::DeleteDC(dc); }
};
}  // namespace detail

// Owns one GDI handle; null means empty.
template <typename Handle, typename Deleter>
class UniqueGdi {
 public:
  UniqueGdi() noexcept = default;
  explicit UniqueGdi(Handle handle) noexcept : handle_(handle) {
    if (handle_ != nullptr) detail::CountCreated();
  }
  ~UniqueGdi() { reset(); }

  UniqueGdi(UniqueGdi&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  UniqueGdi& operator=(UniqueGdi&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  UniqueGdi(const UniqueGdi&) = delete;
  UniqueGdi& operator=(const UniqueGdi&) = delete;

  Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != nullptr; }

  // Deletes the held object (if any) and takes `handle`.
  void reset(Handle handle = nullptr) noexcept {
    if (handle_ != nullptr) {
      Deleter()(handle_);
      detail::CountDeleted();
    }
    handle_ = handle;
    if (handle_ != nullptr) detail::CountCreated();
  }

 private:
  Handle handle_ = nullptr;
};

using UniqueBitmap = UniqueGdi<HBITMAP, detail::DeleteGdiObject>;
using UniqueBrush = UniqueGdi<HBRUSH, detail::DeleteGdiObject>;
using UniqueFont = UniqueGdi<HFONT, detail::DeleteGdiObject>;
using UniqueRegion = UniqueGdi<HRGN, detail::DeleteGdiObject>;
using UniqueMemoryDc = UniqueGdi<HDC, detail::DeleteMemoryDc>;

// The DC of a window from GetDC, released with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  HDC get() const noexcept { return dc_; }

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

  HDC get() const noexcept { return dc_; }
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
