#pragma once
// The base of every object that handles the messages of an existing window by subclassing it
// (the skins of the installer windows and of their controls).
//
//   class Skin : public ui::WindowImpl { MSK_BEGIN_MSG_MAP(Skin) ... MSK_END_MSG_MAP() };
//   Skin skin;
//   if (skin.Attach(control)) { ... }   // messages now reach skin's map first
//   skin.Detach();                      // or the control's WM_NCDESTROY ends the tie
//
// Routing: a message goes to the message map; what the map does not handle goes to what the window
// did before Attach (an object attached earlier, or the window's previous procedure), whose answer
// is returned. A handler that throws counts as "not handled". Any number of objects may be attached
// to one window; the newest gets each message first.
//
// End of the window: WM_NCDESTROY is offered to the map and then to the previous procedure like any
// other message; afterwards the object is detached and, once that message (and any message of the
// window it was nested in) has returned, OnFinalMessage runs. OnFinalMessage does nothing here;
// SelfDeletingWindow deletes the object there.
//
// Destroying an attached object detaches it. If somebody else subclassed the window after us, the
// window keeps their procedure, which still calls ours: what reaches us then goes straight on to
// the procedure the window had before (see detail/WindowHook.h), so the object itself may go.
//
// Thread-safety: attach, use and detach on the window's thread (checked by the object's binding,
// detail/Binding.h).

#include "ui/MessageMap.h"
#include "ui/detail/Binding.h"

#include <windows.h>

namespace ui {

class WindowImpl : private detail::MessageSink {
 public:
  WindowImpl() noexcept = default;
  virtual ~WindowImpl();

  WindowImpl(const WindowImpl&) = delete;
  WindowImpl& operator=(const WindowImpl&) = delete;

  // Subclasses `window`. False when the window is null, this object is attached already, memory is
  // short (last error ERROR_OUTOFMEMORY) or the window refused the new procedure; the object then
  // stays detached.
  bool Attach(HWND window) noexcept;
  // Ends the tie to the window. Answers true when the window is left as it was before Attach (but
  // for objects attached before this one); false when something attached since, another object or
  // somebody else's procedure, still sits above this one (their procedures stay), or when nothing
  // was attached.
  bool Detach() noexcept;

  // The attached window; null while detached.
  HWND Window() const noexcept;
  bool IsAttached() const noexcept { return binding_ != nullptr; }

  // The object's message map: true when it answered the message with `result`.
  virtual bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    LRESULT& result) = 0;

 protected:
  // Runs after the window's last message (WM_NCDESTROY) has been answered and the object detached.
  virtual void OnFinalMessage(HWND window) noexcept;

  // Hands a message to what the window did before Attach (answers 0 for a detached object).
  LRESULT CallPreviousProc(UINT message, WPARAM wParam, LPARAM lParam) noexcept;

  // True while one of the window's messages is being handled by this object.
  bool HandlingMessage() const noexcept { return binding_ != nullptr && binding_->Busy(); }
  // Detaches the object and runs OnFinalMessage once the message being handled has returned.
  void EndAfterCurrentMessage() noexcept;

 private:
  LRESULT Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept override;
  void BindingEnded(HWND window) noexcept override;

  detail::Binding::Handle binding_;
};

}  // namespace ui
