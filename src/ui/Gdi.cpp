#include "ui/Gdi.h"

#include "ui/ForTesting.h"

#include <atomic>

namespace ui::gdi {
namespace {

std::atomic<std::ptrdiff_t> liveObjects{0};

}  // namespace

std::ptrdiff_t LiveObjectCountForTesting() noexcept {
  return liveObjects.load();
}

namespace detail {
void AddToLiveObjectCount(std::ptrdiff_t change) noexcept {
  liveObjects.fetch_add(change);
}
}  // namespace detail

SIZE BitmapSize(HBITMAP bitmap) noexcept {
  BITMAP info{};
  if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof info, &info) != sizeof info)
    return SIZE{0, 0};
  return SIZE{info.bmWidth, info.bmHeight};
}

}  // namespace ui::gdi
