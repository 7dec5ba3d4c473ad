#include "ui/DialogImpl.h"

#include "ui/ModuleContext.h"
#include "ui/detail/CreationList.h"

#include <utility>

namespace ui {
namespace {

// Messages whose dialog-procedure return value is the answer itself rather than a flag.
bool AnswersDirectly(UINT message) noexcept {
  switch (message) {
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return true;
    default:
      return false;
  }
}

}  // namespace

DialogImpl::~DialogImpl() = default;

INT_PTR DialogImpl::RunModal(HWND parent, LPARAM initParam) noexcept {
  if (binding_ != nullptr) return -1;  // already running
  binding_ = detail::Binding::Create(*this, detail::Binding::Kind::Dialog);
  if (binding_ == nullptr || !detail::CreationList::Enter(*this)) {
    binding_.reset();
    ::SetLastError(ERROR_OUTOFMEMORY);
    return -1;
  }
  const INT_PTR answer =
      ::DialogBoxParamW(module::ResourceInstance(), MAKEINTRESOURCEW(templateId_), parent,
                        &DialogImpl::StartProcedure, initParam);
  // A dialog box that never got its first message left our entry behind.
  detail::CreationList::Remove(*this);
  binding_.reset();
  return answer;
}

HWND DialogImpl::Window() const noexcept {
  return binding_ != nullptr ? binding_->Window() : nullptr;
}

bool DialogImpl::EndDialog(INT_PTR result) noexcept {
  const HWND window = Window();
  return window != nullptr && ::EndDialog(window, result) != FALSE;
}

void DialogImpl::OnFinalMessage(HWND) noexcept {}

INT_PTR CALLBACK DialogImpl::StartProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) noexcept {
  DialogImpl* const dialog = detail::CreationList::TakeForThisThread();
  if (dialog == nullptr || dialog->binding_ == nullptr) return FALSE;
  dialog->binding_->BindDialog(window);
  return dialog->binding_->Route(window, message, wParam, lParam);
}

LRESULT DialogImpl::Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  LRESULT result = 0;
  bool handled = false;
  try {
    handled = ProcessWindowMessage(window, message, wParam, lParam, result);
  } catch (...) {
    handled = false;
  }
  if (!handled) return FALSE;
  if (AnswersDirectly(message)) return result;
  ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
  return TRUE;
}

void DialogImpl::BindingEnded(HWND window) noexcept {
  (void)binding_.release();  // the binding has let go of us already and ends by itself
  OnFinalMessage(window);
}

}  // namespace ui
