#pragma once
// A user's request to stop, raised on one thread and awaited on others: the dialog's Cancel button
// raises it, the download's waits end on it at once.
//
//   ui::CancelSignal cancel;
//   // user-interface thread:       cancel.Raise();
//   // download thread:             if (cancel.WaitFor(std::chrono::seconds(4))) return;  // raised
//
// Once raised it stays raised. Without an event (the platform refused one) waits poll it every
// 50 ms instead.
//
// Thread-safety: every member may be called from any thread at the same time.

#include "tools/WindowsHandles.h"

#include <windows.h>

#include <atomic>
#include <chrono>

namespace ui {

class CancelSignal {
 public:
  CancelSignal() noexcept;
  CancelSignal(const CancelSignal&) = delete;
  CancelSignal& operator=(const CancelSignal&) = delete;

  void Raise() noexcept;
  bool IsRaised() const noexcept { return raised_.load(std::memory_order_acquire); }
  // Waits up to `timeout` for the signal; true when it is raised.
  bool WaitFor(std::chrono::milliseconds timeout) const noexcept;
  // The manual-reset event set by Raise, for waits on more than one thing; null without one.
  HANDLE Event() const noexcept { return event_.Get(); }

 private:
  std::atomic<bool> raised_{false};
  Tools::UniqueKernelHandle event_;
};

// `duration` as a Win32 wait time: clamped to 0 .. INFINITE - 1 milliseconds.
DWORD WaitMilliseconds(std::chrono::milliseconds duration) noexcept;

}  // namespace ui
