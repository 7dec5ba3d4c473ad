#include "hftp/SharedWorkerHold.h"

#include <atomic>
#include <cstdint>

namespace hftp {
namespace {

using Clock = std::chrono::steady_clock;

// When the current call began, in the clock's ticks plus one, so that 0 means "no call".
std::atomic<std::int64_t> heldSince{0};

}  // namespace

std::chrono::milliseconds SharedWorkerHeldFor() noexcept {
  const std::int64_t since = heldSince.load(std::memory_order_acquire);
  if (since == 0) return std::chrono::milliseconds(0);
  const Clock::duration held = Clock::now().time_since_epoch() - Clock::duration(since - 1);
  return std::chrono::duration_cast<std::chrono::milliseconds>(held);
}

namespace detail {

PerformClock::PerformClock() noexcept {
  heldSince.store(Clock::now().time_since_epoch().count() + 1, std::memory_order_release);
}

PerformClock::~PerformClock() {
  heldSince.store(0, std::memory_order_release);
}

}  // namespace detail
}  // namespace hftp
