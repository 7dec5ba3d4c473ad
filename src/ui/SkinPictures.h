#pragma once
// The one place that answers "the picture for piece X": the library's own bitmaps, the pictures of
// the installer's own skin folder (MarlowSetupKit::Skin folder), or none at all (Skin /PLAIN, the
// neutral look in system colours, ui/PlainLook.h). Every window and control that draws a picture
// asks here; without a Skin call the answers are the library's own bitmaps, as always.
//
//   const std::wstring refused = ui::UseSkinFolder(L"C:\\Setup\\skin");  // "" when taken
//   ui::gdi::UniqueHBitmap background = ui::SkinPicture(IDB_BACKGROUND);  // the folder's, or ours
//   if (ui::PlainLook()) { ... }                                          // after UsePlainLook()
//
// A folder holds one BMP file per piece, named as in SkinPieces(), each exactly the built-in
// picture's size and depth. A file that is missing or cannot be read as a bitmap keeps the
// built-in picture of its piece; one file of the wrong size or depth refuses the whole folder and
// nothing changes, so a skin is never half applied.
//
// Thread-safety: the installer sets the look on its own thread before it shows a dialog or skins
// a window; any thread may ask for pictures at any time (a mutex guards the set, and each answer is
// a copy of the caller's own).

#include "ui/Gdi.h"

#include <windows.h>

#include <array>
#include <string>

namespace ui {

// One picture a skin folder may replace: its resource id, its file name, and the size the painting
// code places it at.
struct SkinPiece {
  UINT id;
  const wchar_t* file;
  int width;
  int height;
};

// Every skin picture's file holds this many bits per pixel, as the built-in ones do.
inline constexpr int kSkinBitsPerPixel = 24;

// The replaceable pictures: the window backgrounds, then the progress bar's pieces.
const std::array<SkinPiece, 13>& SkinPieces() noexcept;

// Takes the pictures from the BMP files in `folder` (with or without a trailing backslash; relative
// to the current directory, as the script wrote it). Answers "" when the folder was taken, or the
// line saying why not ("Skin: no folder C:\x", "Skin: background.bmp is 640 x 480, wants 550 x
// 370"); a refused folder changes nothing.
std::wstring UseSkinFolder(const std::wstring& folder);
// No picture of ours anywhere: dialogs in system colours, a plainly drawn bar, installer windows
// left in their own look.
void UsePlainLook() noexcept;
// The library's own pictures again (also what NSIS's unload of the library comes back to).
void UseBuiltInSkin() noexcept;
bool PlainLook() noexcept;

// The picture of piece `id`, the caller's to keep: the skin folder's, else the built-in bitmap
// (ui/ResourceBitmap.h). Empty under the plain look, or when neither exists.
gdi::UniqueHBitmap SkinPicture(UINT id) noexcept;

}  // namespace ui
