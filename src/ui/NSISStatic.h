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

namespace ui {

// Width the status text is shortened to, measured in the control's DC with that DC's default font.
inline constexpr UINT kStatusTextWidth = 450;

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
