#include "hftp/detail/ThreadPriority.h"

#include <pthread.h>
#include <sched.h>

namespace hftp::detail {

void LowerCurrentThreadToIdlePriority() noexcept {
  sched_param param{};
#if defined(SCHED_IDLE)
  // Unprivileged threads may always move down to SCHED_IDLE; its only priority is 0.
  param.sched_priority = 0;
  pthread_setschedparam(pthread_self(), SCHED_IDLE, &param);
#else
  int policy = SCHED_OTHER;
  if (pthread_getschedparam(pthread_self(), &policy, &param) != 0) return;
  param.sched_priority = sched_get_priority_min(policy);
  pthread_setschedparam(pthread_self(), policy, &param);
#endif
}

}  // namespace hftp::detail
