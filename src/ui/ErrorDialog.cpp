#include "ui/ErrorDialog.h"

#include "res/resource.h"
#include "ui/CenterWindow.h"
#include "ui/ControlRow.h"
#include "ui/DialogOwner.h"
#include "ui/DialogText.h"
#include "ui/PlainLook.h"
#include "ui/SkinPictures.h"

namespace ui {
namespace {

// The dialog's size in pixels, whatever its template says.
constexpr int kWidth = 555;
constexpr int kHeight = 403;
// Left edge of the message text.
constexpr int kTextLeft = 16;

static_assert(kTryAgainButton == IDC_TRY_AGAIN_BUTTON && kCancelButton == IDC_CANCEL_BUTTON);

}  // namespace

bool RunErrorDialog() noexcept {
  ErrorDialog dialog;
  return dialog.RunModal(DialogOwner(), 0) == kTryAgainResult;
}

ErrorDialog::ErrorDialog() noexcept
    : DialogImpl(IDD_CONNECTION_ERROR), font_(CreateDialogTextFont()) {}

LRESULT ErrorDialog::OnInitDialog(UINT, WPARAM, LPARAM, bool&) {
  const HWND window = Window();
  background_ = SkinPicture(IDB_BACKGROUND);
  ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOOWNERZORDER | SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE);
  RECT layout{};  // the template's client area, in which its buttons were placed
  ::GetClientRect(window, &layout);
  ::MoveWindow(window, 0, 0, kWidth, kHeight, FALSE);
  // The fixed pixel size may be too small for buttons placed in dialog units of a large font.
  KeepRowInside(window, {kTryAgainButton, kCancelButton}, layout);
  CenterWindow(window);
  // FALSE: no control gets the focus by default.
  return FALSE;
}

LRESULT ErrorDialog::OnEraseBackground(UINT, WPARAM wParam, LPARAM, bool&) {
  const auto dc = reinterpret_cast<HDC>(wParam);
  RECT client{};
  ::GetClientRect(Window(), &client);
  if (background_) {
    const SIZE size = gdi::BitmapSize(background_.Get());
    const gdi::UniqueHdc memory(::CreateCompatibleDC(dc));
    const gdi::SelectionScope selected(memory.Get(), background_.Get());
    ::StretchBlt(dc, client.left, client.top, client.right - client.left,
                 client.bottom - client.top, memory.Get(), 0, 0, size.cx, size.cy, SRCCOPY);
  } else {
    FillPlainBackground(dc, client);
  }
  return 1;
}

LRESULT ErrorDialog::OnPaint(UINT, WPARAM, LPARAM, bool&) {
  const HWND window = Window();
  const gdi::PaintDc paint(window);
  RECT client{};
  ::GetClientRect(window, &client);
  // The background came with WM_ERASEBKGND.
  DrawDialogMessage(paint.Get(), client, kTextLeft, LoadResourceString(IDS_CONNECTION_ERROR),
                    font_.Get());
  return 0;
}

LRESULT ErrorDialog::OnTryAgain(WORD, WORD, HWND, bool&) {
  EndDialog(kTryAgainResult);
  return 0;
}

LRESULT ErrorDialog::OnCancel(WORD, WORD, HWND, bool&) {
  EndDialog(kCancelResult);
  return 0;
}

LRESULT ErrorDialog::OnClose(UINT, WPARAM, LPARAM, bool&) {
  EndDialog(kCancelResult);
  return 0;
}

}  // namespace ui
