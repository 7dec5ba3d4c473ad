#pragma once
// The link between one window and the object that handles its messages (WindowImpl for subclassed
// windows, DialogImpl for dialog boxes).
//
// Ownership. A Binding lives apart from its object because it may have to outlive it:
// - While an object holds it (through Binding::Handle), the binding routes the window's messages
//   to the object.
// - When the object lets go (Handle destroyed or Release), the binding hands the window back the
//   procedure it had, if ours is still the one installed. If somebody subclassed the window after
//   us, their procedure still calls ours, so the binding stays in the window's chain as a plain
//   forwarder to the previous procedure until the window is destroyed.
// - The binding deletes itself once nobody holds it, no window can call it and none of its
//   messages is being handled. That `delete this` is the only way a Binding ends.
//
// Window end. After WM_NCDESTROY has been handled, the binding ends its object: it forgets the
// window and calls MessageSink::BindingEnded, which runs the object's final-message hook. If the
// window is destroyed while one of its other messages is still being handled further up the stack,
// that happens when the outermost message returns, so no object is deleted under a running
// handler. EndSinkWhenIdle defers a requested end the same way.
//
// Thread-safety: a binding is used on the thread of its window only.

#include "ui/detail/ProcSlots.h"

#include <windows.h>

#include <memory>

namespace ui::detail {

// What a binding delivers to.
class MessageSink {
 public:
  // The object's answer to one message of `window`, falling through to the window's own
  // processing when the object does not handle it.
  virtual LRESULT Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept = 0;
  // The binding has ended the object's tie to `window`: the object must drop its Handle with
  // release() (never through the deleter) and may then end itself.
  virtual void BindingEnded(HWND window) noexcept = 0;

 protected:
  ~MessageSink() = default;
};

class Binding {
 public:
  enum class Kind { Window, Dialog };

  struct Releaser {
    void operator()(Binding* binding) const noexcept { binding->Release(); }
  };
  // An object's hold on its binding.
  using Handle = std::unique_ptr<Binding, Releaser>;

  // A new binding for `sink`, not yet tied to a window; null when no procedure slot is free or
  // memory is short.
  static Handle Create(MessageSink& sink, Kind kind) noexcept;

  Binding(const Binding&) = delete;
  Binding& operator=(const Binding&) = delete;

  // The binding's own window procedure (also a dialog procedure: the signatures agree).
  WNDPROC Procedure() const noexcept { return slot_.procedure; }
  HWND Window() const noexcept { return window_; }
  // The procedure the window had before Subclass; DefWindowProcW before that.
  WNDPROC Previous() const noexcept { return previous_; }

  // Window kind: installs our procedure in `window`. False when the window refused it.
  bool Subclass(HWND window) noexcept;
  // Dialog kind: installs our procedure as the dialog procedure of `window`.
  void BindDialog(HWND window) noexcept;

  // True while one of the window's messages is being handled through this binding.
  bool Busy() const noexcept { return depth_ > 0; }
  // Ends the object's tie (as if the window had been destroyed, but giving the window back its
  // previous procedure where possible) once the message being handled now has returned.
  void EndSinkWhenIdle() noexcept { endSinkPending_ = true; }

  // Lets go of the binding on behalf of its holder: the object gets no message any more. Answers
  // whether the window has its previous procedure back (or no longer calls us at all).
  static bool Release(Handle handle) noexcept;

  // Called by the slot procedure for every message of the window.
  LRESULT Route(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

 private:
  Binding(MessageSink& sink, Kind kind) noexcept : sink_(&sink), kind_(kind) {}
  ~Binding();

  bool Release() noexcept;
  // Takes our procedure out of the window when it is still the installed one.
  bool Uninstall() noexcept;
  void WindowDestroyed() noexcept;
  void Settle() noexcept;
  void DeleteIfUnused() noexcept;

  MessageSink* sink_;
  Kind kind_;
  ProcSlot slot_;
  HWND window_ = nullptr;
  WNDPROC previous_ = &::DefWindowProcW;
  bool installed_ = false;       // our procedure is (or may be) called by the window
  bool endSinkPending_ = false;  // end the sink when the outermost message returns
  int depth_ = 0;                // messages of the window being handled right now
};

}  // namespace ui::detail
