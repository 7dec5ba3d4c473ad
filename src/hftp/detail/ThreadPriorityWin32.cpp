#include "hftp/detail/ThreadPriority.h"

#include <windows.h>

namespace hftp::detail {

void LowerCurrentThreadToIdlePriority() noexcept {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE);
}

}  // namespace hftp::detail
