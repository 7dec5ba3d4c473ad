#pragma once
// The base of modal dialogs built from a dialog template in the library's resources (the download
// progress and connection-error dialogs).
//
//   class AskDialog : public ui::DialogImpl {
//    public:
//     AskDialog() : DialogImpl(135) {}
//     MSK_BEGIN_MSG_MAP(AskDialog)
//       MSK_COMMAND_HANDLER(1002, BN_CLICKED, OnTryAgain)
//     MSK_END_MSG_MAP()
//     LRESULT OnTryAgain(WORD, WORD, HWND, bool&) { EndDialog(1); return 0; }
//   };
//   AskDialog dialog;
//   INT_PTR answer = dialog.RunModal(::GetActiveWindow(), 0);
//
// RunModal creates the dialog box with DialogBoxParamW from the template in ui::module's resource
// instance. The object is found by the dialog's first message through a process-wide list of
// dialogs being created, keyed by thread, so several threads may start dialogs at the same time.
//
// Messages: the map answers what it handles (for most messages the answer goes to
// DWLP_MSGRESULT; for the messages whose dialog-procedure result is the answer itself, such as
// WM_INITDIALOG and WM_CTLCOLOR*, it is returned directly); everything else gets the platform's
// default dialog processing. After WM_NCDESTROY the object is unbound and OnFinalMessage runs.
//
// Thread-safety: RunModal may be called on any thread; the object is used on that thread only
// (checked by the dialog's binding, detail/Binding.h).

#include "ui/MessageMap.h"
#include "ui/detail/Binding.h"

#include <windows.h>

namespace ui {

class DialogImpl : private detail::MessageSink {
 public:
  explicit DialogImpl(WORD templateId) noexcept : templateId_(templateId) {}
  virtual ~DialogImpl();

  DialogImpl(const DialogImpl&) = delete;
  DialogImpl& operator=(const DialogImpl&) = delete;

  // Shows the dialog modally over `parent` and answers the value given to EndDialog, or -1 when
  // the dialog box could not be created. When no dialog procedure can be prepared, nothing is
  // created, the last error is ERROR_OUTOFMEMORY and the answer is -1.
  INT_PTR RunModal(HWND parent, LPARAM initParam) noexcept;

  // The dialog window while it exists; null before and after.
  HWND Window() const noexcept;
  // Ends the modal loop with `result` (EndDialog).
  bool EndDialog(INT_PTR result) noexcept;

  virtual bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    LRESULT& result) = 0;

 protected:
  // Runs after WM_NCDESTROY has been answered; does nothing here.
  virtual void OnFinalMessage(HWND window) noexcept;

 private:
  static INT_PTR CALLBACK StartProcedure(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) noexcept;

  LRESULT Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept override;
  void BindingEnded(HWND window) noexcept override;

  WORD templateId_;
  detail::Binding::Handle binding_;
};

}  // namespace ui
