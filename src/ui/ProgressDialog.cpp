#include "ui/ProgressDialog.h"

#include "res/resource.h"
#include "ui/CenterWindow.h"
#include "ui/DialogOwner.h"
#include "ui/DialogText.h"
#include "ui/ModuleContext.h"
#include "ui/PlainLook.h"
#include "ui/SkinPictures.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <system_error>
#include <utility>

namespace ui {
namespace {

// The dialog's size in pixels, whatever its template says.
constexpr int kWidth = 555;
constexpr int kHeight = 395;
// Where the skinned bar sits on the background.
constexpr RECT kBarPlacement{25, 170, 25 + 270, 170 + 26};
// Left edge of the heading.
constexpr int kTextLeft = 25;
// The text line: under the bar, as wide as the left half of the background allows.
constexpr RECT kTextLinePlacement{25, 204, 25 + 300, 204 + 18};
// The Cancel button in dialog units, as the connection-error dialog's: its size, and its margins
// to the right and bottom edges.
constexpr RECT kCancelButtonUnits{0, 0, 52, 16};
constexpr RECT kCancelMarginUnits{0, 0, 15, 8};

constexpr UINT_PTR kTextTimer = 1;
constexpr UINT_PTR kMarqueeTimer = 2;
constexpr UINT kMarqueeMilliseconds = 40;

std::chrono::milliseconds Now() noexcept {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
}

}  // namespace

bool RunDownloadDialog(HWND owner, DownloadDialogLook look, DownloadTask task) {
  ProgressDialog dialog(std::move(look), std::move(task));
  const INT_PTR answer = dialog.RunModal(owner != nullptr ? owner : DialogOwner(), 0);
  const bool succeeded = dialog.WaitForDownload();
  return answer == 1 && succeeded;
}

ProgressDialog::ProgressDialog(DownloadDialogLook look, DownloadTask task)
    : DialogImpl(IDD_DOWNLOAD),
      font_(CreateDialogTextFont(CharsetFor(look.words->script))),
      look_(std::move(look)),
      task_(std::move(task)),
      text_(look_.heading.empty() ? LoadResourceString(IDS_DOWNLOADING) : look_.heading) {}

ProgressDialog::~ProgressDialog() {
  WaitForDownload();
}

bool ProgressDialog::WaitForDownload() noexcept {
  if (downloadThread_.joinable()) {
    try {
      downloadThread_.join();
    } catch (const std::system_error&) {
      downloadThread_.detach();
    }
  }
  return downloadStarted_ && succeeded_.load(std::memory_order_acquire);
}

LRESULT ProgressDialog::OnInitDialog(UINT, WPARAM, LPARAM, bool&) {
  const HWND window = Window();
  window_ = window;
  // The download starts before the controls are built: its messages wait in the queue until this
  // returns, and the first download of a process sets libcurl up meanwhile.
  StartDownloadThread();
  // In the plain look no way for the user to end the dialog: only the download does.
  if (!look_.cancelButton) {
    ::EnableMenuItem(::GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
  }
  background_ = SkinPicture(IDB_BACKGROUND);
  ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOOWNERZORDER | SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE);
  ::MoveWindow(window, 0, 0, kWidth, kHeight, FALSE);
  CenterWindow(window);
  if (!look_.caption.empty()) ::SetWindowTextW(window, look_.caption.c_str());
  RECT client{};
  ::GetClientRect(window, &client);
  // The heading ends where the bar begins: a control reaching into the bar would paint over it.
  RECT band = DialogMessageBand(client, kTextLeft);
  band.bottom = std::min(band.bottom, kBarPlacement.top);
  heading_.Create(window, kDownloadHeadingControl, band, text_, font_.Get(), background_.Get());
  SkinProgressBar(::GetDlgItem(window, IDC_DOWNLOAD_PROGRESS));
  if (look_.textLine) AddTextLine();
  if (look_.cancelButton) AddCancelButton();
  if (look_.textLine || look_.marquee)
    ::SetTimer(window, kTextTimer, kTextUpdateMilliseconds, nullptr);
  // FALSE: no control gets the focus by default.
  return FALSE;
}

void ProgressDialog::SkinProgressBar(HWND bar) noexcept {
  progress_.Attach(bar);
  ::MoveWindow(bar, kBarPlacement.left, kBarPlacement.top, kBarPlacement.right - kBarPlacement.left,
               kBarPlacement.bottom - kBarPlacement.top, FALSE);
  // The skin draws the bar's frame itself.
  const LONG_PTR extended = ::GetWindowLongPtrW(bar, GWL_EXSTYLE);
  ::SetWindowLongPtrW(bar, GWL_EXSTYLE, extended & ~static_cast<LONG_PTR>(WS_EX_STATICEDGE));
  ::SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  ::SendMessageW(bar, PBM_SETPOS, 0, 0);
}

void ProgressDialog::AddTextLine() noexcept {
  const HWND window = Window();
  const RECT& at = kTextLinePlacement;
  const HWND line = ::CreateWindowExW(
      0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, at.left,
      at.top, at.right - at.left, at.bottom - at.top, window,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kDownloadTextControl)),
      module::ResourceInstance(), nullptr);
  if (line == nullptr) return;
  ::SendMessageW(line, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  // The line fills itself with the piece of the background it covers (WM_CTLCOLORSTATIC).
  const gdi::WindowDc dc(window);
  textBackground_.CutFrom(dc.Get(), background_.Get(), at);
}

void ProgressDialog::AddCancelButton() noexcept {
  const HWND window = Window();
  RECT size = kCancelButtonUnits;
  RECT margin = kCancelMarginUnits;
  ::MapDialogRect(window, &size);
  ::MapDialogRect(window, &margin);
  RECT client{};
  ::GetClientRect(window, &client);
  const int width = size.right;
  const int height = size.bottom;
  const int left = std::max(0, static_cast<int>(client.right - margin.right - width));
  const int top = std::max(0, static_cast<int>(client.bottom - margin.bottom - height));
  const HWND button = ::CreateWindowExW(
      0, L"BUTTON", look_.cancelText.empty() ? look_.words->cancel : look_.cancelText.c_str(),
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, left, top, width, height, window,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDCANCEL)), module::ResourceInstance(), nullptr);
  if (button == nullptr) return;
  // The template's font, as the connection-error dialog's buttons have it.
  const auto templateFont = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
  const BYTE charset = CharsetFor(look_.words->script);
  if (charset != DEFAULT_CHARSET) buttonFont_ = FontInCharset(templateFont, charset);
  ::SendMessageW(button, WM_SETFONT,
                 reinterpret_cast<WPARAM>(buttonFont_ ? buttonFont_.Get() : templateFont), FALSE);
}

void ProgressDialog::StartDownloadThread() {
  if (downloadThread_.joinable()) downloadThread_.detach();
  try {
    downloadThread_ = std::thread(&ProgressDialog::DownloadThreadEntry, this);
    downloadStarted_ = true;
  } catch (const std::system_error&) {
    // Without a thread nothing would ever close the dialog.
    succeeded_.store(false, std::memory_order_release);
    ::PostMessageW(window_, kDownloadEndedMessage, 0, 0);
  }
}

void ProgressDialog::DownloadThreadEntry() noexcept {
  bool succeeded = false;
  try {
    succeeded = task_ && task_(this, cancel_);
  } catch (...) {
    succeeded = false;
  }
  if (!succeeded) succeeded_.store(false, std::memory_order_release);
  // The engine is down by now: no progress message can follow this one.
  ::PostMessageW(window_, kDownloadEndedMessage, 0, 0);
}

void ProgressDialog::ShowPercent(int percent) noexcept {
  ProgressRelay::ShowPercent(percent);
  ::PostMessageW(window_, kProgressMessage, 0, 0);
}

LRESULT ProgressDialog::OnPaint(UINT, WPARAM, LPARAM, bool&) {
  const HWND window = Window();
  const gdi::PaintDc paint(window);
  const HDC dc = paint.Get();
  RECT client{};
  ::GetClientRect(window, &client);
  if (background_) {
    const gdi::UniqueHdc memory(::CreateCompatibleDC(dc));
    const gdi::SelectionScope selected(memory.Get(), background_.Get());
    ::BitBlt(dc, 0, 0, client.right, client.bottom, memory.Get(), 0, 0, SRCCOPY);
  } else {
    FillPlainBackground(dc, client);
  }
  return 0;  // the heading draws itself
}

LRESULT ProgressDialog::OnEraseBackground(UINT, WPARAM, LPARAM, bool&) {
  return 1;  // WM_PAINT covers the whole client area
}

LRESULT ProgressDialog::OnProgress(UINT, WPARAM, LPARAM, bool&) {
  const int percent = Percent();
  ::SendDlgItemMessageW(Window(), IDC_DOWNLOAD_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(percent),
                        0);
  // The system makes WM_TIMER only while no posted message waits: on a slow machine a steady
  // stream of progress messages would otherwise freeze the text line while the bar moves.
  if (Now() - lastTextUpdate_ >= std::chrono::milliseconds(kTextUpdateMilliseconds)) {
    UpdateTextAndMarquee();
  }
  ::UpdateWindow(Window());
  return 0;
}

void ProgressDialog::UpdateTextAndMarquee() noexcept {
  lastTextUpdate_ = Now();
  UpdateMarquee();
  UpdateTextLine();
}

LRESULT ProgressDialog::OnTimer(UINT, WPARAM wParam, LPARAM, bool& handled) {
  if (wParam == kTextTimer) {
    UpdateTextAndMarquee();
  } else if (wParam == kMarqueeTimer) {
    progress_.StepMarquee();
    ::InvalidateRect(::GetDlgItem(Window(), IDC_DOWNLOAD_PROGRESS), nullptr, FALSE);
  } else {
    handled = false;
  }
  return 0;
}

void ProgressDialog::UpdateTextLine() noexcept {
  if (!look_.textLine) return;
  try {
    const std::wstring text = TextLine(look_.textPattern, *look_.words, Now());
    const HWND line = ::GetDlgItem(Window(), kDownloadTextControl);
    const int length = ::GetWindowTextLengthW(line);
    std::wstring shown(static_cast<std::size_t>(length) + 1, L'\0');
    shown.resize(static_cast<std::size_t>(::GetWindowTextW(line, shown.data(), length + 1)));
    if (shown != text) ::SetWindowTextW(line, text.c_str());
  } catch (...) {
    // Out of memory for a line of text: it shows the previous one until the next tick.
  }
}

void ProgressDialog::UpdateMarquee() noexcept {
  if (!look_.marquee) return;
  // Bytes of a resource without a size: no percentage to show, but something is happening.
  const bool wanted = SizeUnknownWhileArriving();
  if (wanted == marqueeRunning_) return;
  marqueeRunning_ = wanted;
  progress_.SetMarquee(wanted);
  if (wanted) {
    ::SetTimer(Window(), kMarqueeTimer, kMarqueeMilliseconds, nullptr);
  } else {
    ::KillTimer(Window(), kMarqueeTimer);
  }
  ::InvalidateRect(::GetDlgItem(Window(), IDC_DOWNLOAD_PROGRESS), nullptr, FALSE);
}

LRESULT ProgressDialog::OnControlColour(UINT, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (!look_.textLine ||
      reinterpret_cast<HWND>(lParam) != ::GetDlgItem(Window(), kDownloadTextControl)) {
    handled = false;
    return 0;
  }
  ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
  return reinterpret_cast<LRESULT>(textBackground_.Brush() != nullptr
                                       ? textBackground_.Brush()
                                       : ::GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT ProgressDialog::OnDrawItem(UINT, WPARAM, LPARAM lParam, bool& handled) {
  if (!heading_.Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) handled = false;
  return TRUE;
}

LRESULT ProgressDialog::OnCancel(WORD, WORD, HWND, bool& handled) {
  // Also Escape; without the button the command means nothing, as before.
  if (!look_.cancelButton) {
    handled = false;
    return 0;
  }
  RequestCancel();
  return 0;
}

LRESULT ProgressDialog::OnSystemCommand(UINT, WPARAM wParam, LPARAM, bool& handled) {
  if (!look_.cancelButton || (wParam & 0xFFF0) != SC_CLOSE) {
    handled = false;
    return 0;
  }
  RequestCancel();
  return 0;
}

void ProgressDialog::RequestCancel() noexcept {
  cancel_.Raise();
  // The download thread closes the dialog once the transfer is abandoned and its file gone.
  ::EnableWindow(::GetDlgItem(Window(), IDCANCEL), FALSE);
  ::EnableMenuItem(::GetSystemMenu(Window(), FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
}

LRESULT ProgressDialog::OnClose(UINT, WPARAM, LPARAM, bool&) {
  // A close request from outside the dialog (End task): ending the dialog here would leave the
  // download running with no window. With a Cancel button it cancels; without one it is ignored.
  if (look_.cancelButton) RequestCancel();
  return 0;
}

LRESULT ProgressDialog::OnDownloadEnded(UINT, WPARAM, LPARAM, bool&) {
  EndDialog(1);
  return 0;
}

}  // namespace ui
