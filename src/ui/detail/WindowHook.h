#pragma once
// The module's one window procedure for subclassed windows and the record it finds through a
// window property: the chain of the window's bindings and the procedure the window had before ours.
//
//   WindowHook* hook = WindowHook::Acquire(window);  // installs our procedure the first time
//   hook->Push(binding);                              // binding now gets the messages first
//   hook->Remove(binding);                            // the record may end here
//
// A window carries our procedure once, however many objects are attached to it: the first binding
// installs it, later ones stack on the same record (the newest on top, as separate subclasses
// would), and a message passes from each binding to the one below it and finally to the window's
// previous procedure. A binding attached while somebody else's procedure sits above ours joins the
// chain under it, as the platform's SetWindowSubclass does.
//
// When the last binding leaves, the record gives the window its previous procedure back if ours is
// still the one installed. If somebody subclassed the window after us, their procedure still calls
// ours: the record then stays as a plain forwarder until the window is destroyed or ours is on top
// again. The property's name holds this module's address, so two copies of the library loaded in
// one process never read each other's records.
//
// Thread-safety: a window's record is used on the window's thread only (checked:
// tools/ThreadChecker.h).

#include "tools/ThreadChecker.h"

#include <windows.h>

#include <cstddef>

namespace ui::detail {

class Binding;

class WindowHook {
 public:
  // The record of `window`; made, and our procedure installed, when the window has none. Null
  // when the window refused our procedure or memory is short (last error ERROR_OUTOFMEMORY).
  static WindowHook* Acquire(HWND window) noexcept;

  WindowHook(const WindowHook&) = delete;
  WindowHook& operator=(const WindowHook&) = delete;

  // Puts `binding` on top of the chain.
  void Push(Binding& binding) noexcept;
  // Takes `binding` out of the chain. May end the record: do not use it afterwards.
  void Remove(Binding& binding) noexcept;
  // Hands a message to what lies below `binding`: the next binding, or the previous procedure.
  LRESULT CallBelow(const Binding& binding, HWND window, UINT message, WPARAM wParam,
                    LPARAM lParam) noexcept;

  // Records alive right now in this module (for LiveBindingRecordsForTesting, ui/ForTesting.h).
  static std::size_t LiveCountForTesting() noexcept;

 private:
  explicit WindowHook(HWND window) noexcept;
  ~WindowHook();

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam,
                                    LPARAM lParam) noexcept;
  LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  bool OursOnTop() const noexcept;
  // Gives the window its previous procedure back when no binding is left and ours is on top; ends
  // the record once the window no longer calls it and none of its messages is being handled.
  void Settle() noexcept;
  void Uninstall() noexcept;

  HWND window_;
  WNDPROC previous_ = nullptr;
  Binding* top_ = nullptr;
  bool installed_ = false;  // the window calls our procedure (or may, through somebody else's)
  int depth_ = 0;           // messages of the window being dispatched right now
  MSK_THREAD_CHECKER(windowThread_);
};

}  // namespace ui::detail
