#include "ui/ResourceBitmap.h"

#include "ui/ModuleContext.h"

namespace ui {

gdi::UniqueHBitmap LoadResourceBitmap(UINT id) noexcept {
  const HINSTANCE instance = module::ResourceInstance();
  // LoadBitmapW(null, id) would look among the system's own bitmaps.
  if (instance == nullptr) return {};
  return gdi::UniqueHBitmap(::LoadBitmapW(instance, MAKEINTRESOURCEW(id)));
}

}  // namespace ui
