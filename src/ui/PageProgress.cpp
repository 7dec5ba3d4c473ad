#include "ui/PageProgress.h"

#include "download/ProgressRelay.h"
#include "ui/WindowImpl.h"
#include "ui/WindowThreadCall.h"

#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace ui {
namespace {

// The marquee's pace, as a plain bar runs it by default.
constexpr UINT kMarqueeMilliseconds = 30;

struct PageControls {
  HWND installer;
  HWND bar;
  HWND status;
  HWND cancel;  // the installer window's own button
};

std::optional<PageControls> FindInstallPage(HWND installer) noexcept {
  if (installer == nullptr || !::IsWindow(installer)) return std::nullopt;
  // On the window's own thread a wait would freeze the window: there the popup has its own loop.
  if (::GetWindowThreadProcessId(installer, nullptr) == ::GetCurrentThreadId()) return std::nullopt;
  // The current page is the one inner dialog NSIS keeps; only instfiles has both controls.
  const HWND page = ::FindWindowExW(installer, nullptr, L"#32770", nullptr);
  if (page == nullptr) return std::nullopt;
  const HWND bar = ::GetDlgItem(page, kInstallPageProgressBar);
  const HWND status = ::GetDlgItem(page, kInstallPageStatusText);
  if (bar == nullptr || status == nullptr) return std::nullopt;
  return PageControls{installer, bar, status, ::GetDlgItem(installer, IDCANCEL)};
}

std::wstring TextOf(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), length + 1)));
  return text;
}

std::chrono::milliseconds Now() noexcept {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
}

// What the page showed before the download: given back exactly afterwards.
struct PageState {
  LONG_PTR barStyle = 0;
  PBRANGE range{};
  int position = 0;
  std::wstring status;
  bool cancelEnabled = false;
};

// Lives on the calling thread's stack; Begin and End run on the installer window's thread, the
// view's calls on the transfer thread, which hands its values over in atomics.
class PageSession final : public WindowImpl, public download::ProgressRelay {
 public:
  PageSession(const PageControls& page, const DownloadDialogLook& look)
      : page_(page), look_(look) {}

  // Takes the page over; false when the window could not be subclassed (nothing changed then).
  bool Begin() noexcept;
  // Gives the page back as it was.
  void End() noexcept;

  const download::CancelSignal& Cancel() const noexcept { return cancel_; }

  MSK_BEGIN_MSG_MAP(PageSession)
  MSK_MESSAGE_HANDLER(WM_TIMER, OnTimer)
  MSK_COMMAND_HANDLER(IDCANCEL, BN_CLICKED, OnCancel)
  MSK_MESSAGE_HANDLER(WM_SYSCOMMAND, OnSystemCommand)
  MSK_MESSAGE_HANDLER(WM_CLOSE, OnClose)
  MSK_END_MSG_MAP()

 private:
  LRESULT OnTimer(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnCancel(WORD notifyCode, WORD id, HWND control, bool& handled);
  LRESULT OnSystemCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

  void Update() noexcept;
  void UpdateBar() noexcept;
  void UpdateText() noexcept;
  void SetMarquee(bool on) noexcept;
  void RequestCancel() noexcept;
  // The window's timer for this session: an id no other can have.
  UINT_PTR TimerId() const noexcept { return reinterpret_cast<UINT_PTR>(this); }

  const PageControls page_;
  const DownloadDialogLook look_;  // a copy: a session left with the window outlives the call
  download::CancelSignal cancel_;
  // The window's thread only, between Begin and End.
  PageState before_;
  bool marqueeRunning_ = false;
  int shownPercent_ = -1;
};

bool PageSession::Begin() noexcept {
  if (!Attach(page_.installer)) return false;
  before_.barStyle = ::GetWindowLongPtrW(page_.bar, GWL_STYLE);
  ::SendMessageW(page_.bar, PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&before_.range));
  before_.position = static_cast<int>(::SendMessageW(page_.bar, PBM_GETPOS, 0, 0));
  try {
    before_.status = TextOf(page_.status);
  } catch (...) {
    before_.status.clear();  // out of memory: the line ends empty
  }
  before_.cancelEnabled = page_.cancel != nullptr && ::IsWindowEnabled(page_.cancel);
  ::SendMessageW(page_.bar, PBM_SETRANGE32, 0, 100);
  ::SendMessageW(page_.bar, PBM_SETPOS, 0, 0);
  shownPercent_ = 0;
  if (look_.cancelButton) ::EnableWindow(page_.cancel, TRUE);
  // The first text comes with the first tick, once the view has had its first values (a
  // background download's are relayed when the task begins to wait).
  ::SetTimer(page_.installer, TimerId(), kTextUpdateMilliseconds, nullptr);
  return true;
}

void PageSession::End() noexcept {
  ::KillTimer(page_.installer, TimerId());
  SetMarquee(false);
  ::SendMessageW(page_.bar, PBM_SETRANGE32, static_cast<WPARAM>(before_.range.iLow),
                 before_.range.iHigh);
  ::SendMessageW(page_.bar, PBM_SETPOS, static_cast<WPARAM>(before_.position), 0);
  ::SetWindowTextW(page_.status, before_.status.c_str());
  if (page_.cancel != nullptr) ::EnableWindow(page_.cancel, before_.cancelEnabled ? TRUE : FALSE);
  Detach();
}

LRESULT PageSession::OnTimer(UINT, WPARAM wParam, LPARAM, bool& handled) {
  if (wParam != TimerId()) {
    handled = false;
    return 0;
  }
  Update();
  return 0;
}

void PageSession::Update() noexcept {
  UpdateBar();
  if (look_.textLine) UpdateText();
}

void PageSession::UpdateBar() noexcept {
  // Bytes of a resource without a size: no percentage to show, but something is happening.
  const bool marquee = look_.marquee && SizeUnknownWhileArriving();
  SetMarquee(marquee);
  const int percent = Percent();
  if (marquee || percent == shownPercent_) return;
  shownPercent_ = percent;
  ::SendMessageW(page_.bar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void PageSession::SetMarquee(bool on) noexcept {
  if (on == marqueeRunning_) return;
  marqueeRunning_ = on;
  // A plain bar runs a marquee only with its style; a skinned one answers the message itself.
  if (on) {
    ::SetWindowLongPtrW(page_.bar, GWL_STYLE, before_.barStyle | PBS_MARQUEE);
    ::SendMessageW(page_.bar, PBM_SETMARQUEE, TRUE, kMarqueeMilliseconds);
  } else {
    ::SendMessageW(page_.bar, PBM_SETMARQUEE, FALSE, 0);
    ::SetWindowLongPtrW(page_.bar, GWL_STYLE, before_.barStyle);
    shownPercent_ = -1;  // the position is shown again at once
  }
  ::InvalidateRect(page_.bar, nullptr, TRUE);
}

void PageSession::UpdateText() noexcept {
  try {
    const std::wstring text = TextLine(look_.textPattern, *look_.words, Now());
    if (TextOf(page_.status) != text) ::SetWindowTextW(page_.status, text.c_str());
  } catch (...) {
    // Out of memory for a line of text: it shows the previous one until the next tick.
  }
}

LRESULT PageSession::OnCancel(WORD, WORD, HWND, bool& handled) {
  // Without /CANCEL the button stays NSIS's, as it was.
  if (!look_.cancelButton) {
    handled = false;
    return 0;
  }
  RequestCancel();
  return 0;
}

LRESULT PageSession::OnSystemCommand(UINT, WPARAM wParam, LPARAM, bool& handled) {
  if (!look_.cancelButton || (wParam & 0xFFF0) != SC_CLOSE) {
    handled = false;
    return 0;
  }
  RequestCancel();
  return 0;
}

LRESULT PageSession::OnClose(UINT, WPARAM, LPARAM, bool& handled) {
  // With Cancel enabled, NSIS would take a close request for the user quitting the installer.
  if (!look_.cancelButton) {
    handled = false;
    return 0;
  }
  RequestCancel();
  return 0;
}

void PageSession::RequestCancel() noexcept {
  cancel_.Raise();
  // The task ends the download, removes its file and then gives the page back.
  ::EnableWindow(page_.cancel, FALSE);
}

}  // namespace

bool RunOnInstallPage(HWND installer, const DownloadDialogLook& look, const DownloadTask& task) {
  const std::optional<PageControls> page = FindInstallPage(installer);
  if (!page) return false;
  auto session = std::make_unique<PageSession>(*page, look);
  bool begun = false;
  if (!RunOnWindowThread(installer, [&] { begun = session->Begin(); }) || !begun) return false;
  try {
    if (task) task(session.get(), session->Cancel());
  } catch (...) {
    // The caller's outcome says what happened; the page is given back all the same.
  }
  const bool given = RunOnWindowThread(installer, [&] { session->End(); });
  // Should the hand-over fail while the window lives (no hook to be had), the session stays with
  // the window rather than be freed under its subclass; the window's end detaches it.
  if (!given && session->IsAttached() && ::IsWindow(installer)) (void)session.release();
  return true;
}

void RunWithProgress(HWND installer, bool onPage, const DownloadDialogLook& look,
                     const DownloadTask& task) {
  if (!onPage || !RunOnInstallPage(installer, look, task)) RunDownloadDialog(installer, look, task);
}

}  // namespace ui
