#pragma once
// The modal download dialog: the skinned progress bar on the skin background and the text
// "Downloading Velmar...", while a thread of its own runs the download (ui/DownloadProcedure.h).
//
//   bool ok = ui::RunDownloadDialog(url, path, [] { return MakeFactory(); });
//
// The user cannot end it: the close command is greyed and there are no buttons. The download
// thread closes it when the download has ended (and the engine is shut down). The bar shows the
// percentage that the download's observer hands over from the transfer thread: the value travels
// in an atomic field, and a posted message (kProgressMessage) makes the dialog's thread show it.
//
// Thread-safety: RunDownloadDialog blocks its caller: the installer's user-interface thread or the
// thread that runs its sections (the owner then is the installer's window, ui/DialogOwner.h). The
// object lives on that thread's stack; the download thread is joined before it goes.

#include "ui/DialogImpl.h"
#include "ui/DownloadProcedure.h"
#include "ui/Gdi.h"
#include "ui/ProgressView.h"
#include "ui/SkinProgress.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace ui {

// Posted to the dialog when the percentage in its field has changed.
inline constexpr UINT kProgressMessage = WM_USER + 100;

// Downloads `url` into `path` behind the dialog, modal over the installer's window. True when the
// file was downloaded; false when it was not or the dialog could not be shown (the download then
// never starts).
bool RunDownloadDialog(std::wstring url, std::wstring path, ServiceFactoryMaker makeFactory);

class ProgressDialog final : public DialogImpl, private ProgressView {
 public:
  ProgressDialog(std::wstring url, std::wstring path, ServiceFactoryMaker makeFactory);
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
  MSK_MESSAGE_HANDLER(WM_CLOSE, OnClose)
  MSK_END_MSG_MAP()

 private:
  LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnPaint(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnEraseBackground(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnProgress(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

  void SkinProgressBar(HWND bar) noexcept;
  void StartDownloadThread();
  void DownloadThreadEntry() noexcept;
  // Called by the observer on the transfer thread.
  void ShowPercent(int percent) noexcept override;

  std::thread downloadThread_;
  SkinProgress progress_;
  gdi::UniqueFont font_;
  std::atomic<int> percent_{0};
  const std::wstring url_;
  const std::wstring path_;
  const ServiceFactoryMaker makeFactory_;
  std::atomic<bool> succeeded_{true};
  bool downloadStarted_ = false;
  gdi::UniqueBitmap background_;
  std::wstring text_;
  // Set at initialisation, before the download thread starts: the other threads post to it.
  HWND window_ = nullptr;
};

}  // namespace ui
