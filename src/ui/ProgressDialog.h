#pragma once
// The modal download dialog: the skinned progress bar on the skin background under a heading
// ("Downloading Velmar..." for HTTPDownload), while a thread of its own runs the download
// (download/Job.h).
//
//   ui::DownloadDialogLook look;
//   look.textLine = look.cancelButton = look.marquee = true;
//   bool ok = ui::RunDownloadDialog(owner, look, [&](download::ProgressView* view,
//                                                    const download::CancelSignal& cancel) {
//     return download::RunJob(request, factory, view, cancel).result ==
//            download::DownloadResult::Completed;
//   });
//
// In its plain look (HTTPDownload's) the user cannot end it: the close command is greyed, there
// are no buttons, and a close request from outside (WM_CLOSE: "End task") is ignored. The download
// thread closes it when the download has ended (and the engine is shut down), with a message of
// its own (kDownloadEndedMessage), so that nothing else can end the dialog while the download
// runs. The bar shows the percentage that the download's observer hands over from the
// transfer thread: the value travels in an atomic field, and a posted message (kProgressMessage)
// makes the dialog's thread show it.
//
// DownloadDialogLook adds, each on request: a text line under the bar (download/ProgressText.h),
// updated by a timer four times a second from the byte counts the observer hands over; a "Cancel"
// button (Escape, the title bar's close button and a close request from outside do the same), which
// raises the task's CancelSignal and then waits, greyed, for the task to end; and a marquee, a
// block running along the bar while bytes arrive of a resource whose size is unknown. It may also
// replace the title, the heading and the Cancel button's text, and name the language of the
// default words (the button's, the text line's). The heading and the text line are controls
// holding their text (kDownloadHeadingControl, kDownloadTextControl).
//
// Thread-safety: RunDownloadDialog blocks its caller: the installer's user-interface thread or the
// thread that runs its sections (the owner then is the installer's window, ui/DialogOwner.h). The
// object lives on that thread's stack; the download thread is joined before it goes.

#include "download/CancelSignal.h"
#include "download/ProgressRelay.h"
#include "download/Translations.h"
#include "ui/DialogImpl.h"
#include "ui/DownloadDialogLook.h"
#include "ui/Gdi.h"
#include "ui/HeadingLine.h"
#include "ui/PatternPiece.h"
#include "ui/SkinProgress.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace ui {

// Posted to the dialog when the percentage in its field has changed.
inline constexpr UINT kProgressMessage = WM_USER + 100;
// Posted to the dialog by its download thread when the download has ended: the dialog ends.
inline constexpr UINT kDownloadEndedMessage = WM_USER + 101;
// The text line under the bar, when the look has one.
inline constexpr int kDownloadTextControl = 139;
// The heading above the bar.
inline constexpr int kDownloadHeadingControl = 140;
// How often the text line (and the switch to and from the marquee) is brought up to date.
inline constexpr UINT kTextUpdateMilliseconds = 250;

// The work behind the dialog, run on its download thread: true when the download succeeded.
using DownloadTask =
    std::function<bool(download::ProgressView* view, const download::CancelSignal& cancel)>;

// Runs `task` behind a dialog of `look`, modal over `owner` (null: the installer's window). The
// task's answer, or false when the dialog could not be shown (the task then never runs).
bool RunDownloadDialog(HWND owner, DownloadDialogLook look, DownloadTask task);

class ProgressDialog final : public DialogImpl, private download::ProgressRelay {
 public:
  ProgressDialog(DownloadDialogLook look, DownloadTask task);
  // Waits for the download thread.
  ~ProgressDialog() override;

  // Waits for the download thread (if it was started) and answers whether the download
  // succeeded; false when it never ran.
  bool WaitForDownload() noexcept;

  MSK_BEGIN_MSG_MAP(ProgressDialog)
  MSK_MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
  MSK_MESSAGE_HANDLER(WM_PAINT, OnPaint)
  MSK_MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
  MSK_MESSAGE_HANDLER(kProgressMessage, OnProgress)
  MSK_MESSAGE_HANDLER(kDownloadEndedMessage, OnDownloadEnded)
  MSK_MESSAGE_HANDLER(WM_TIMER, OnTimer)
  MSK_MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnControlColour)
  MSK_MESSAGE_HANDLER(WM_DRAWITEM, OnDrawItem)
  MSK_COMMAND_HANDLER(IDCANCEL, BN_CLICKED, OnCancel)
  MSK_MESSAGE_HANDLER(WM_SYSCOMMAND, OnSystemCommand)
  MSK_MESSAGE_HANDLER(WM_CLOSE, OnClose)
  MSK_END_MSG_MAP()

 private:
  LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnPaint(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnEraseBackground(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnProgress(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnDownloadEnded(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnTimer(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnControlColour(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnDrawItem(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnCancel(WORD notifyCode, WORD id, HWND control, bool& handled);
  LRESULT OnSystemCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

  void SkinProgressBar(HWND bar) noexcept;
  void AddTextLine() noexcept;
  void AddCancelButton() noexcept;
  void UpdateTextLine() noexcept;
  void UpdateMarquee() noexcept;
  void UpdateTextAndMarquee() noexcept;
  void RequestCancel() noexcept;
  void StartDownloadThread();
  void DownloadThreadEntry() noexcept;
  // Called by the observer on the transfer thread: the relay keeps it, a message shows it.
  void ShowPercent(int percent) noexcept override;

  std::thread downloadThread_;
  SkinProgress progress_;
  gdi::UniqueHFont font_;        // the heading's and the text line's, in the words' charset
  gdi::UniqueHFont buttonFont_;  // the template's in the words' charset; empty: the template's
  const DownloadDialogLook look_;
  const DownloadTask task_;
  download::CancelSignal cancel_;
  std::atomic<bool> succeeded_{true};
  bool downloadStarted_ = false;
  gdi::UniqueHBitmap background_;
  PatternPiece textBackground_;  // the skin beneath the text line
  HeadingLine heading_;
  bool marqueeRunning_ = false;
  std::chrono::milliseconds lastTextUpdate_{0};  // the dialog's thread only
  std::wstring text_;
  // Set at initialisation, before the download thread starts: the other threads post to it.
  HWND window_ = nullptr;
};

}  // namespace ui
