#pragma once
// The captured-dialog record: the one TransparentBtn made by CaptureDialog, until Unload releases
// it. At most one exists at a time.
//
//   plugin::CapturedDialog::Instance().Capture(window);  // CaptureDialog
//   plugin::CapturedDialog::Instance().Release();        // Unload
//
// The object itself is owned by its window (ui::SelfDeletingWindow): if the window is destroyed
// first, the object ends with it and the record simply finds nothing to release. When somebody has
// subclassed the window after the capture, Release still ends the object; the window keeps the
// other procedure and our link in its chain passes every message straight on.
//
// Thread-safety: one call at a time, from whichever thread the installer calls the exports on:
// NSIS runs page callbacks on its user-interface thread and sections on an install thread of
// their own, so a capture made in a page callback may be asked about from a section. The captured
// object itself is used on its window's thread only (checked by its binding, ui/detail/Binding.h).

#include "ui/TransparentBtn.h"

#include <windows.h>

namespace plugin {

class CapturedDialog {
 public:
  static CapturedDialog& Instance() noexcept;

  // Gives the buttons of `window` their skinned backgrounds unless something is captured already.
  // Answers true when `window` is the captured window afterwards (captured now or before).
  bool Capture(HWND window) noexcept;
  // Detaches and destroys the captured object; does nothing when there is none.
  void Release() noexcept;

  CapturedDialog(const CapturedDialog&) = delete;
  CapturedDialog& operator=(const CapturedDialog&) = delete;

 private:
  CapturedDialog() noexcept = default;
  // Unloading the library must not leave a window calling into code that is about to go.
  ~CapturedDialog() { Release(); }

  ui::WindowOwnedRef<ui::TransparentBtn> captured_;
};

}  // namespace plugin
