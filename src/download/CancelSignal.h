#pragma once
// A user's request to stop, raised on one thread and awaited on others: a dialog's Cancel button
// (or a script's command) raises it; a download's waits end on it at once.
//
//   download::CancelSignal cancel;
//   // user-interface thread:   cancel.Raise();
//   // download thread:         if (cancel.WaitFor(std::chrono::seconds(4))) return;  // raised
//
//   download::Wakeup wakeup;                      // a wait for more than one thing
//   download::CancelSignal::Listening listening(cancel, wakeup);
//   wakeup.WaitFor(timeout, [&] { return ended || cancel.IsRaised(); });
//
// Once raised it stays raised.
//
// Thread-safety: every member of both classes may be called from any thread at the same time. A
// Listening must end before its Wakeup goes.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace download {

// Wakes a thread that waits for any of several things to happen: whoever makes one of them true
// calls Notify.
class Wakeup {
 public:
  void Notify() noexcept;

  // Waits until `done` answers true or `timeout` has passed; answers `done` at the end.
  template <typename Predicate>
  bool WaitFor(std::chrono::milliseconds timeout, Predicate done) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, done);
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
};

class CancelSignal {
 public:
  CancelSignal() = default;
  CancelSignal(const CancelSignal&) = delete;
  CancelSignal& operator=(const CancelSignal&) = delete;

  void Raise() noexcept;
  bool IsRaised() const noexcept { return raised_.load(std::memory_order_acquire); }
  // Waits up to `timeout` for the signal; true when it is raised.
  bool WaitFor(std::chrono::milliseconds timeout) const;

  // Has `wakeup` notified when the signal is raised, for as long as it lives.
  class Listening {
   public:
    Listening(const CancelSignal& signal, Wakeup& wakeup);
    ~Listening();
    Listening(const Listening&) = delete;
    Listening& operator=(const Listening&) = delete;

   private:
    const CancelSignal& signal_;
    Wakeup& wakeup_;
  };

 private:
  std::atomic<bool> raised_{false};
  mutable Wakeup own_;  // for WaitFor
  mutable std::mutex listenersMutex_;
  mutable std::vector<Wakeup*> listeners_;
};

}  // namespace download
