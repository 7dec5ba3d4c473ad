#pragma once
// Gives every button-class descendant of a window (push buttons, check boxes, radio buttons, group
// boxes) a background brush cut from the skin bitmap 102 at the child's position, so the children
// blend into the skinned background. The brushes answer WM_CTLCOLORBTN and WM_CTLCOLORSTATIC for
// those children; every other message goes on to the window's own procedure.
//
//   ui::TransparentBtn* skin = ui::SelfDeletingWindow::AttachToWindow(
//       std::make_unique<ui::TransparentBtn>(dialog), dialog);
//   ...
//   skin->Dispose();  // or the window's destruction ends it
//
// The children are collected once, at construction: buttons created, moved or resized later keep
// no brush or a stale one. Owned by its window (see SelfDeletingWindow).
//
// Thread-safety: the window's thread.

#include "ui/PatternPiece.h"
#include "ui/SelfDeletingWindow.h"

#include <windows.h>

#include <vector>

namespace ui {

class TransparentBtn final : public SelfDeletingWindow {
 public:
  // Collects the button-class descendants of `window` and cuts their backgrounds.
  explicit TransparentBtn(HWND window);

  // The brush made for `child`; null when it is not one of the collected buttons.
  HBRUSH BrushFor(HWND child) const noexcept;

  MSK_BEGIN_MSG_MAP(TransparentBtn)
  MSK_MESSAGE_HANDLER(WM_CTLCOLORBTN, OnCtlColor)
  MSK_MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnCtlColor)
  MSK_END_MSG_MAP()

 private:
  struct ButtonEntry {
    PatternPiece background;  // the skin beneath the button
    HWND child = nullptr;
  };

  static BOOL CALLBACK CollectButton(HWND child, LPARAM self) noexcept;
  void CutBackgrounds(HWND window);

  LRESULT OnCtlColor(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

  std::vector<ButtonEntry> buttons_;
};

}  // namespace ui
