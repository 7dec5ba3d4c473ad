#include "ui/PatternPiece.h"

#include "ui/ModuleContext.h"

#include <utility>

namespace ui {
namespace {

// Makes the skin module the resource instance until the end of the scope.
class SkinModuleAsResourceInstance {
 public:
  SkinModuleAsResourceInstance() noexcept
      : previous_(module::ExchangeResourceInstance(module::SkinModule())) {}
  ~SkinModuleAsResourceInstance() { module::ExchangeResourceInstance(previous_); }
  SkinModuleAsResourceInstance(const SkinModuleAsResourceInstance&) = delete;
  SkinModuleAsResourceInstance& operator=(const SkinModuleAsResourceInstance&) = delete;

 private:
  HINSTANCE previous_;
};

}  // namespace

bool PatternPiece::Load(UINT id) noexcept {
  if (id == 0) return false;
  Clear();
  {
    SkinModuleAsResourceInstance skin;
    const HINSTANCE instance = module::ResourceInstance();
    // LoadBitmapW(null, id) would look among the system's own bitmaps.
    if (instance != nullptr) {
      bitmap_.reset(::LoadBitmapW(instance, MAKEINTRESOURCEW(id)));
    }
  }
  if (bitmap_) brush_.reset(::CreatePatternBrush(bitmap_.get()));
  return static_cast<bool>(brush_);
}

bool PatternPiece::CutFrom(HDC reference, HBITMAP source, const RECT& rect) noexcept {
  Clear();
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (source == nullptr || width <= 0 || height <= 0) return false;
  const gdi::UniqueMemoryDc from(::CreateCompatibleDC(reference));
  const gdi::UniqueMemoryDc to(::CreateCompatibleDC(reference));
  gdi::UniqueBitmap piece(::CreateCompatibleBitmap(reference, width, height));
  {
    const gdi::SelectionScope sourceSelected(from.get(), source);
    const gdi::SelectionScope pieceSelected(to.get(), piece.get());
    ::BitBlt(to.get(), 0, 0, width, height, from.get(), rect.left, rect.top, SRCCOPY);
  }
  bitmap_ = std::move(piece);
  if (bitmap_) brush_.reset(::CreatePatternBrush(bitmap_.get()));
  return static_cast<bool>(brush_);
}

void PatternPiece::Clear() noexcept {
  brush_.reset();
  bitmap_.reset();
}

void FillWithPiece(HDC dc, const RECT& rect, const PatternPiece& piece) noexcept {
  if (piece.Brush() == nullptr) return;
  ::SetBrushOrgEx(dc, rect.left, rect.top, nullptr);
  ::FillRect(dc, &rect, piece.Brush());
}

}  // namespace ui
