#include "ui/PatternPiece.h"

#include "ui/ModuleContext.h"
#include "ui/SkinPictures.h"

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
    const SkinModuleAsResourceInstance skin;
    bitmap_ = SkinPicture(id);
  }
  if (bitmap_) brush_.Reset(::CreatePatternBrush(bitmap_.Get()));
  return static_cast<bool>(brush_);
}

bool PatternPiece::CutFrom(HDC reference, HBITMAP source, const RECT& rect) noexcept {
  Clear();
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (source == nullptr || width <= 0 || height <= 0) return false;
  const gdi::UniqueHdc from(::CreateCompatibleDC(reference));
  const gdi::UniqueHdc to(::CreateCompatibleDC(reference));
  gdi::UniqueHBitmap piece(::CreateCompatibleBitmap(reference, width, height));
  {
    const gdi::SelectionScope sourceSelected(from.Get(), source);
    const gdi::SelectionScope pieceSelected(to.Get(), piece.Get());
    ::BitBlt(to.Get(), 0, 0, width, height, from.Get(), rect.left, rect.top, SRCCOPY);
  }
  bitmap_ = std::move(piece);
  if (bitmap_) brush_.Reset(::CreatePatternBrush(bitmap_.Get()));
  return static_cast<bool>(brush_);
}

void PatternPiece::Clear() noexcept {
  brush_.Reset();
  bitmap_.Reset();
}

void FillWithPiece(HDC dc, const RECT& rect, const PatternPiece& piece) noexcept {
  if (piece.Brush() == nullptr) return;
  ::SetBrushOrgEx(dc, rect.left, rect.top, nullptr);
  ::FillRect(dc, &rect, piece.Brush());
}

}  // namespace ui
