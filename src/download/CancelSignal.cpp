#include "download/CancelSignal.h"

#include <algorithm>

namespace download {

void Wakeup::Notify() noexcept {
  // Taking the lock orders the change that the waiter's predicate reads before its next look.
  { const std::lock_guard<std::mutex> lock(mutex_); }
  changed_.notify_all();
}

void CancelSignal::Raise() noexcept {
  raised_.store(true, std::memory_order_release);
  own_.Notify();
  const std::lock_guard<std::mutex> lock(listenersMutex_);
  for (Wakeup* const wakeup : listeners_) wakeup->Notify();
}

bool CancelSignal::WaitFor(std::chrono::milliseconds timeout) const {
  return own_.WaitFor(timeout, [this] { return IsRaised(); });
}

CancelSignal::Listening::Listening(const CancelSignal& signal, Wakeup& wakeup)
    : signal_(signal), wakeup_(wakeup) {
  const std::lock_guard<std::mutex> lock(signal_.listenersMutex_);
  signal_.listeners_.push_back(&wakeup_);
}

CancelSignal::Listening::~Listening() {
  const std::lock_guard<std::mutex> lock(signal_.listenersMutex_);
  auto& listeners = signal_.listeners_;
  listeners.erase(std::remove(listeners.begin(), listeners.end(), &wakeup_), listeners.end());
}

}  // namespace download
