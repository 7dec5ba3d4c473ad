#pragma once
// Skin folders for the tests of MarlowSetupKit::Skin: a second picture set, recognisably not ours
// (every built-in picture with red and blue swapped), and single files of any size and depth.
//
//   msk::test::ScratchFolder folder;
//   msk::test::WriteSwappedSkin(folder.Root(), ::GetModuleHandleW(nullptr));
//   msk::test::WriteBmp(folder.Path(L"background.bmp"), 640, 480, 24, [](int, int) { return 0; });
//
// Not thread-safe.

#include "BmpFile.h"
#include "Pixels.h"

#include <windows.h>

#include <string>

namespace msk::test {

// `colour` with its red and blue swapped: the built-in navy turns brown, the orange fill blue.
COLORREF Swapped(COLORREF colour) noexcept;

// Writes `file` (for example L"bar_fill.bmp") of `folder` as built-in bitmap `id` of `module`
// with its colours swapped.
bool WriteSwappedPiece(const std::wstring& folder, const wchar_t* file, HMODULE module, UINT id);

}  // namespace msk::test
