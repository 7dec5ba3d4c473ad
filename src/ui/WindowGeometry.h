#pragma once
// Small conversions between a child window's rectangle and its parent's client coordinates.
//
// Thread-safety: no state.

#include <windows.h>

namespace ui {

// The window rectangle of `child` in its parent's client coordinates. The second corner is
// converted only when the first was; false when either conversion failed.
bool WindowRectInParent(HWND child, RECT& rect) noexcept;

}  // namespace ui
