#include "ui/CancelSignal.h"

#include <algorithm>
#include <limits>

namespace ui {

DWORD WaitMilliseconds(std::chrono::milliseconds duration) noexcept {
  return static_cast<DWORD>(std::clamp<std::chrono::milliseconds::rep>(
      duration.count(), 0, std::numeric_limits<DWORD>::max() - 1));
}

CancelSignal::CancelSignal() noexcept : event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

void CancelSignal::Raise() noexcept {
  raised_.store(true, std::memory_order_release);
  if (event_) ::SetEvent(event_.Get());
}

bool CancelSignal::WaitFor(std::chrono::milliseconds timeout) const noexcept {
  if (event_) {
    ::WaitForSingleObject(event_.Get(), WaitMilliseconds(timeout));
    return IsRaised();
  }
  constexpr std::chrono::milliseconds kPoll{50};
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!IsRaised() && std::chrono::steady_clock::now() < deadline) {
    ::Sleep(WaitMilliseconds(std::min(kPoll, timeout)));
  }
  return IsRaised();
}

}  // namespace ui
