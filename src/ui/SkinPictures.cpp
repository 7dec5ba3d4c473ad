#include "ui/SkinPictures.h"

#include "res/resource.h"
#include "ui/ResourceBitmap.h"

#include <mutex>
#include <optional>
#include <utility>

namespace ui {
namespace {

constexpr std::array<SkinPiece, 13> kPieces{{
    {IDB_BACKGROUND, L"background.bmp", 550, 370},
    {IDB_UNINSTALL_BAND, L"uninstall_band.bmp", 550, 66},
    {IDB_BAR_LEFT_CAP, L"bar_left_cap.bmp", 2, 22},
    {IDB_BAR_RIGHT_CAP, L"bar_right_cap.bmp", 2, 22},
    {IDB_BAR_TOP, L"bar_top.bmp", 265, 2},
    {IDB_BAR_BOTTOM, L"bar_bottom.bmp", 266, 2},
    {IDB_BAR_LEFT, L"bar_left.bmp", 2, 22},
    {IDB_BAR_RIGHT, L"bar_right.bmp", 2, 21},
    {IDB_BAR_TOP_LEFT, L"bar_top_left.bmp", 2, 2},
    {IDB_BAR_TOP_RIGHT, L"bar_top_right.bmp", 2, 2},
    {IDB_BAR_BOTTOM_LEFT, L"bar_bottom_left.bmp", 2, 2},
    {IDB_BAR_BOTTOM_RIGHT, L"bar_bottom_right.bmp", 2, 2},
    {IDB_BAR_FILL, L"bar_fill.bmp", 1, 22},
}};

using Pictures = std::array<gdi::UniqueHBitmap, kPieces.size()>;

// The look the installer chose; the pictures of its folder are held for the module's lifetime.
struct Skin {
  std::mutex mutex;
  bool plain = false;
  Pictures pictures;  // by index into kPieces; empty: the built-in picture
};

Skin& TheSkin() noexcept {
  static Skin skin;
  return skin;
}

std::wstring Refusal(const std::wstring& why) {
  return L"Skin: " + why;
}

std::wstring InFolder(const std::wstring& folder, const wchar_t* file) {
  const bool separated = folder.back() == L'\\' || folder.back() == L'/';
  return folder + (separated ? L"" : L"\\") + file;
}

// The piece's file as a DIB section of the file's own depth; empty when it is missing or is no
// bitmap. `refusal` says why a bitmap that was read does not fit its piece.
gdi::UniqueHBitmap ReadPiece(const std::wstring& folder, const SkinPiece& piece,
                             std::optional<std::wstring>& refusal) {
  gdi::UniqueHBitmap picture(
      static_cast<HBITMAP>(::LoadImageW(nullptr, InFolder(folder, piece.file).c_str(), IMAGE_BITMAP,
                                        0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
  if (!picture) return {};
  BITMAP info{};
  if (::GetObjectW(picture.Get(), sizeof info, &info) != sizeof info) return {};
  if (info.bmWidth != piece.width || info.bmHeight != piece.height) {
    refusal = Refusal(std::wstring(piece.file) + L" is " + std::to_wstring(info.bmWidth) + L" x " +
                      std::to_wstring(info.bmHeight) + L", wants " + std::to_wstring(piece.width) +
                      L" x " + std::to_wstring(piece.height));
  } else if (info.bmBitsPixel != kSkinBitsPerPixel) {
    refusal = Refusal(std::wstring(piece.file) + L" has " + std::to_wstring(info.bmBitsPixel) +
                      L" bits per pixel, wants " + std::to_wstring(kSkinBitsPerPixel));
  }
  return picture;
}

}  // namespace

const std::array<SkinPiece, 13>& SkinPieces() noexcept {
  return kPieces;
}

std::wstring UseSkinFolder(const std::wstring& folder) {
  if (folder.empty()) return Refusal(L"no folder given");
  const DWORD attributes = ::GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
    return Refusal(L"no folder " + folder);
  // Read everything first: a refused folder must leave the look as it was.
  Pictures pictures;
  for (std::size_t i = 0; i < kPieces.size(); ++i) {
    std::optional<std::wstring> refusal;
    pictures[i] = ReadPiece(folder, kPieces[i], refusal);
    if (refusal) return *refusal;
  }
  Skin& skin = TheSkin();
  const std::lock_guard<std::mutex> lock(skin.mutex);
  skin.plain = false;
  skin.pictures.swap(pictures);
  return {};
}

void UsePlainLook() noexcept {
  Skin& skin = TheSkin();
  Pictures released;  // deleted after the lock is given up
  const std::lock_guard<std::mutex> lock(skin.mutex);
  skin.plain = true;
  skin.pictures.swap(released);
}

void UseBuiltInSkin() noexcept {
  Skin& skin = TheSkin();
  Pictures released;
  const std::lock_guard<std::mutex> lock(skin.mutex);
  skin.plain = false;
  skin.pictures.swap(released);
}

bool PlainLook() noexcept {
  Skin& skin = TheSkin();
  const std::lock_guard<std::mutex> lock(skin.mutex);
  return skin.plain;
}

gdi::UniqueHBitmap SkinPicture(UINT id) noexcept {
  Skin& skin = TheSkin();
  {
    const std::lock_guard<std::mutex> lock(skin.mutex);
    if (skin.plain) return {};
    for (std::size_t i = 0; i < kPieces.size(); ++i) {
      if (kPieces[i].id == id && skin.pictures[i]) {
        return gdi::UniqueHBitmap(static_cast<HBITMAP>(
            ::CopyImage(skin.pictures[i].Get(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
      }
    }
  }
  return LoadResourceBitmap(id);
}

}  // namespace ui
