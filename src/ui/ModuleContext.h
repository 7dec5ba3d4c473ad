#pragma once
// What the user interface needs from the library's module-wide state. The plug-in implements these
// over its module state; a test program that links the user interface on its own defines them
// itself (for instance over its own executable's resources).
//
//   HBITMAP background = ::LoadBitmapW(ui::module::ResourceInstance(), MAKEINTRESOURCEW(102));
//
// Thread-safety: all three may be called from any thread; the values are atomics in the plug-in.

#include <windows.h>

namespace ui::module {

// The module that dialogs, strings and window bitmaps are loaded from.
HINSTANCE ResourceInstance() noexcept;
// Puts `instance` in place as the resource instance and answers the previous one, in one step.
HINSTANCE ExchangeResourceInstance(HINSTANCE instance) noexcept;
// The module the skinned progress bar loads its pieces from (null when the library is not loaded
// under its own file name).
HMODULE SkinModule() noexcept;

}  // namespace ui::module
