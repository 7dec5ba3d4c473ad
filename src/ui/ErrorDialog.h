#pragma once
// The modal connection-error dialog: "Installation could not complete due to internet connection
// problem." on the skin background, with "Try Again" and "Cancel".
//
//   if (ui::RunErrorDialog()) { /* the user wants another attempt */ }
//
// Only the two buttons and the window's close command (title bar, Alt+F4) end it; Escape and
// Enter do nothing. The dialog retries nothing itself.
//
// Thread-safety: RunErrorDialog blocks its caller: the installer's user-interface thread or the
// thread that runs its sections (the owner then is the installer's window, ui/DialogOwner.h).

#include "ui/DialogImpl.h"
#include "ui/Gdi.h"

#include <windows.h>

#include <string>

namespace ui {

// What ended the dialog (the modal result).
inline constexpr INT_PTR kTryAgainResult = 1;
inline constexpr INT_PTR kCancelResult = 2;
// The buttons of its template.
inline constexpr WORD kTryAgainButton = 1002;
inline constexpr WORD kCancelButton = 1001;

// Shows the dialog modally over the installer's window (DialogOwner). True for "Try Again"; false
// for "Cancel", for closing the window and when the dialog cannot be shown.
bool RunErrorDialog() noexcept;

class ErrorDialog final : public DialogImpl {
 public:
  ErrorDialog() noexcept;

  MSK_BEGIN_MSG_MAP(ErrorDialog)
  MSK_MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
  MSK_MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
  MSK_MESSAGE_HANDLER(WM_PAINT, OnPaint)
  MSK_COMMAND_HANDLER(kTryAgainButton, BN_CLICKED, OnTryAgain)
  MSK_COMMAND_HANDLER(kCancelButton, BN_CLICKED, OnCancel)
  MSK_MESSAGE_HANDLER(WM_CLOSE, OnClose)
  MSK_END_MSG_MAP()

 private:
  LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnEraseBackground(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnPaint(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnTryAgain(WORD notifyCode, WORD id, HWND control, bool& handled);
  LRESULT OnCancel(WORD notifyCode, WORD id, HWND control, bool& handled);
  LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

  gdi::UniqueHFont font_;
  gdi::UniqueHBitmap background_;
};

}  // namespace ui
