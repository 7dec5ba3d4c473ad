#include "ui/NSISStatic.h"

#include "ui/Gdi.h"
#include "ui/WindowGeometry.h"

#include <shlwapi.h>

#include <algorithm>
#include <cwchar>
#include <vector>

namespace ui {

LRESULT NSISStatic::OnSetText(UINT message, WPARAM wParam, LPARAM lParam, bool&) {
  const HWND control = Window();
  const auto* const text = reinterpret_cast<const wchar_t*>(lParam);
  const wchar_t* shown = text;
  std::vector<wchar_t> shortened;
  if (text != nullptr) {
    const std::size_t length = std::wcslen(text);
    shortened.assign(CompactionBufferLength(length), L'\0');
    std::copy(text, text + length, shortened.begin());
    {
      gdi::PaintDc paint(control);
      ::PathCompactPathW(paint.Get(), shortened.data(), kStatusTextWidth);
    }
    if (std::wcslen(shortened.data()) < length) shown = shortened.data();
  }
  const LRESULT result = CallPreviousProc(message, wParam, reinterpret_cast<LPARAM>(shown));

  RECT area{};
  if (WindowRectInParent(control, area)) {
    const HWND parent = ::GetParent(control);
    ::InvalidateRect(parent, &area, TRUE);
    ::UpdateWindow(parent);
  }
  // The control's own answer, so that SetWindowTextW reports success as it happened.
  return result;
}

}  // namespace ui
