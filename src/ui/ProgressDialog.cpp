#include "ui/ProgressDialog.h"

#include "res/resource.h"
#include "ui/CenterWindow.h"
#include "ui/DialogOwner.h"
#include "ui/DialogText.h"
#include "ui/ModuleContext.h"

#include <commctrl.h>

#include <system_error>
#include <utility>

namespace ui {
namespace {

// The dialog's size in pixels, whatever its template says.
constexpr int kWidth = 555;
constexpr int kHeight = 395;
// Where the skinned bar sits on the background.
constexpr RECT kBarPlacement{25, 170, 25 + 270, 170 + 26};
// Left edge of the text "Downloading Velmar...".
constexpr int kTextLeft = 25;

}  // namespace

bool RunDownloadDialog(std::wstring url, std::wstring path, ServiceFactoryMaker makeFactory) {
  ProgressDialog dialog(std::move(url), std::move(path), std::move(makeFactory));
  const INT_PTR answer = dialog.RunModal(DialogOwner(), 0);
  const bool succeeded = dialog.WaitForDownload();
  return answer == 1 && succeeded;
}

ProgressDialog::ProgressDialog(std::wstring url, std::wstring path, ServiceFactoryMaker makeFactory)
    : DialogImpl(IDD_DOWNLOAD),
      font_(CreateDialogTextFont()),
      url_(std::move(url)),
      path_(std::move(path)),
      makeFactory_(std::move(makeFactory)),
      text_(LoadResourceString(IDS_DOWNLOADING)) {}

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
  // No way for the user to end the dialog: only the download does.
  ::EnableMenuItem(::GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
  background_.reset(::LoadBitmapW(module::ResourceInstance(), MAKEINTRESOURCEW(IDB_BACKGROUND)));
  ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOOWNERZORDER | SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE);
  ::MoveWindow(window, 0, 0, kWidth, kHeight, FALSE);
  CenterWindow(window);
  SkinProgressBar(::GetDlgItem(window, IDC_DOWNLOAD_PROGRESS));
  StartDownloadThread();
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

void ProgressDialog::StartDownloadThread() {
  if (downloadThread_.joinable()) downloadThread_.detach();
  try {
    downloadThread_ = std::thread(&ProgressDialog::DownloadThreadEntry, this);
    downloadStarted_ = true;
  } catch (const std::system_error&) {
    // Without a thread nothing would ever close the dialog.
    succeeded_.store(false, std::memory_order_release);
    ::PostMessageW(window_, WM_CLOSE, 0, 0);
  }
}

void ProgressDialog::DownloadThreadEntry() noexcept {
  if (!RunDownload(url_, path_, this, makeFactory_)) {
    succeeded_.store(false, std::memory_order_release);
  }
  // The engine is down by now: no progress message can follow this one.
  ::PostMessageW(window_, WM_CLOSE, 0, 0);
}

void ProgressDialog::ShowPercent(int percent) noexcept {
  percent_.store(percent, std::memory_order_release);
  ::PostMessageW(window_, kProgressMessage, 0, 0);
}

LRESULT ProgressDialog::OnPaint(UINT, WPARAM, LPARAM, bool&) {
  const HWND window = Window();
  const gdi::PaintDc paint(window);
  const HDC dc = paint.get();
  RECT client{};
  ::GetClientRect(window, &client);
  if (background_) {
    const gdi::UniqueMemoryDc memory(::CreateCompatibleDC(dc));
    const gdi::SelectionScope selected(memory.get(), background_.get());
    ::BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
  }
  DrawDialogMessage(dc, client, kTextLeft, text_, font_.get());
  return 0;
}

LRESULT ProgressDialog::OnEraseBackground(UINT, WPARAM, LPARAM, bool&) {
  return 1;  // WM_PAINT covers the whole client area
}

LRESULT ProgressDialog::OnProgress(UINT, WPARAM, LPARAM, bool&) {
  const int percent = percent_.load(std::memory_order_acquire);
  ::SendDlgItemMessageW(Window(), IDC_DOWNLOAD_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(percent),
                        0);
  ::UpdateWindow(Window());
  return 0;
}

LRESULT ProgressDialog::OnClose(UINT, WPARAM, LPARAM, bool&) {
  EndDialog(1);
  return 0;
}

}  // namespace ui
