#include "hftp/detail/ShareLock.h"

#include <windows.h>

namespace hftp::detail {

struct ShareLock::State {
  State() noexcept { InitializeCriticalSection(&section); }
  ~State() { DeleteCriticalSection(&section); }
  State(const State&) = delete;
  State& operator=(const State&) = delete;

  CRITICAL_SECTION section;
};

ShareLock::ShareLock() : state_(std::make_unique<State>()) {}
ShareLock::~ShareLock() = default;

void ShareLock::Enter() noexcept {
  EnterCriticalSection(&state_->section);
}

void ShareLock::Leave() noexcept {
  LeaveCriticalSection(&state_->section);
}

}  // namespace hftp::detail
