#include "hftp/detail/ShareLock.h"

#include <mutex>

namespace hftp::detail {

struct ShareLock::State {
  std::recursive_mutex mutex;
};

ShareLock::ShareLock() : state_(std::make_unique<State>()) {}
ShareLock::~ShareLock() = default;

// lock() throws only when the system cannot lock at all; inside a libcurl callback there is no one
// to report that to, so it ends the process (noexcept).
void ShareLock::Enter() noexcept {
  state_->mutex.lock();
}

void ShareLock::Leave() noexcept {
  state_->mutex.unlock();
}

}  // namespace hftp::detail
