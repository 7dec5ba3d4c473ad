#pragma once
// The installer's status text: long paths are shortened with an ellipsis so they fit 450 pixels,
// and the parent repaints the background under the text after every change.
//
//   ui::NSISStatic status;
//   status.Attach(statusText);  // then SetWindowTextW(statusText, L"C:\\very\\long\\path...")
//
// Owned by InstallDialog; the final-message hook does nothing.
//
// Thread-safety: the control's thread.

#include "ui/WindowImpl.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>

namespace ui {

// Width the status text is shortened to, measured in the control's DC with that DC's default font.
inline constexpr UINT kStatusTextWidth = 450;

// Characters of the buffer that PathCompactPathW shortens a text of `textLength` characters in.
// It works in place and may write more than it was given: when a text has no room for any of its
// folders it becomes "..." followed by up to MAX_PATH - 1 characters of the file name, which is
// longer than the text itself when the last backslash comes within its first characters.
constexpr std::size_t CompactionBufferLength(std::size_t textLength) noexcept {
  constexpr std::size_t kEllipsis = 3;
  return std::max<std::size_t>(textLength, MAX_PATH) + kEllipsis + 1;
}

class NSISStatic final : public WindowImpl {
 public:
  NSISStatic() noexcept = default;

  MSK_BEGIN_MSG_MAP(NSISStatic)
  MSK_MESSAGE_HANDLER(WM_SETTEXT, OnSetText)
  MSK_END_MSG_MAP()

 private:
  LRESULT OnSetText(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
};

}  // namespace ui
