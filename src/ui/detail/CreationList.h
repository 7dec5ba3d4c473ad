#pragma once
// The process-wide list of dialogs being created: RunModal enters its object before it calls
// DialogBoxParamW, and the dialog's first message takes it out again on the same thread.
//
// Thread-safety: every operation runs under one critical section.

#include <windows.h>

namespace ui {
class DialogImpl;
}

namespace ui::detail::CreationList {

// Enters `dialog` for the calling thread. False when memory is short.
bool Enter(DialogImpl& dialog) noexcept;
// Takes out and answers the calling thread's most recent entry; null when there is none.
DialogImpl* TakeForThisThread() noexcept;
// Takes out `dialog` if it is still listed (its dialog box never got a message).
void Remove(const DialogImpl& dialog) noexcept;

}  // namespace ui::detail::CreationList
