#pragma once
// The link between one window and the object that handles its messages (WindowImpl for subclassed
// windows, DialogImpl for dialog boxes).
//
//   Binding::Handle binding = Binding::Create(sink, Binding::Kind::Window);
//   if (binding && binding->Subclass(window)) { /* sink.Deliver now sees the window's messages */ }
//   Binding::Release(std::move(binding));  // or the window's WM_NCDESTROY ends the tie
//
// Finding the binding. No window procedure is made per binding: a subclassed window carries the
// module's one procedure and a record that chains its bindings (WindowHook.h); a dialog box carries
// the module's dialog procedure and its binding in DWLP_USER. So the number of bindings is bounded
// by memory alone.
//
// Ownership. A Binding lives apart from its object because it may have to outlive it:
// - While an object holds it (through Binding::Handle), the binding routes the window's messages
//   to the object, and what the object leaves alone goes on to the binding below it on the same
//   window or to the procedure the window had before (CallPrevious).
// - When the object lets go (Handle destroyed or Release), the binding leaves the window's chain
//   at once, or, while one of its messages is being handled, as soon as that has returned; in
//   between it only passes messages on.
// - The binding deletes itself once nobody holds it, no window can call it and none of its
//   messages is being handled. That `delete this` is the only way a Binding ends.
//
// Window end. After WM_NCDESTROY has been handled, the binding ends its object: it forgets the
// window and calls MessageSink::BindingEnded, which runs the object's final-message hook. If the
// window is destroyed while one of its other messages is still being handled further up the stack,
// that happens when the outermost message returns, so no object is deleted under a running
// handler. EndSinkWhenIdle defers a requested end the same way.
//
// Thread-safety: a binding is used on the thread of its window only (checked:
// tools/ThreadChecker.h).

#include "tools/ThreadChecker.h"

#include <windows.h>

#include <memory>

namespace ui::detail {

class WindowHook;

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

  // A new binding for `sink`, not yet tied to a window; null only when memory is short.
  static Handle Create(MessageSink& sink, Kind kind) noexcept;

  Binding(const Binding&) = delete;
  Binding& operator=(const Binding&) = delete;

  HWND Window() const noexcept { return window_; }

  // Window kind: puts the binding on top of the window's chain, installing the module's window
  // procedure when the window does not carry it yet. False when the window refused that procedure
  // or memory is short (last error ERROR_OUTOFMEMORY).
  bool Subclass(HWND window) noexcept;
  // Dialog kind: installs the module's dialog procedure in `window`, which calls this binding.
  void BindDialog(HWND window) noexcept;

  // True while one of the window's messages is being handled through this binding.
  bool Busy() const noexcept { return depth_ > 0; }
  // Ends the object's tie (as if the window had been destroyed, but leaving the window's chain
  // instead) once the message being handled now has returned.
  void EndSinkWhenIdle() noexcept { endSinkPending_ = true; }

  // Lets go of the binding on behalf of its holder: the object gets no message any more. Answers
  // whether the window is left as it was before Subclass, but for bindings that were on it before
  // this one: false when something attached later (ours or somebody else's procedure) still sits
  // above it, and for a dialog, which calls its binding until it is destroyed.
  static bool Release(Handle handle) noexcept;

  // Window kind: hands a message on to what lies below this binding on its window (the next
  // binding, or the procedure the window had before ours) and answers its answer.
  LRESULT CallPrevious(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

  // Called by the module's procedures for every message of the window that reaches this binding.
  LRESULT Route(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

 private:
  friend class WindowHook;  // links bindings into a window's chain

  Binding(MessageSink& sink, Kind kind) noexcept;
  ~Binding();

  bool Release() noexcept;
  // Whether taking this binding out now leaves the window as described at Release.
  bool LeavesWindowAsFound() const noexcept;
  void WindowDestroyed() noexcept;
  void Settle() noexcept;
  void DeleteIfUnused() noexcept;

  MessageSink* sink_;
  Kind kind_;
  HWND window_ = nullptr;
  // Window kind: the chain of the window this binding is in (null when in none) and its
  // neighbours there; what the window called right after this binding joined.
  WindowHook* hook_ = nullptr;
  Binding* above_ = nullptr;
  Binding* below_ = nullptr;
  LONG_PTR procedureAfterSubclass_ = 0;
  bool dialogBound_ = false;     // Dialog kind: the dialog calls this binding
  bool endSinkPending_ = false;  // end the sink when the outermost message returns
  int depth_ = 0;                // messages of the window being handled right now
  MSK_THREAD_CHECKER(windowThread_);
};

}  // namespace ui::detail
