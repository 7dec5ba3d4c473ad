#pragma once
// Lowers the calling thread to the platform's idle priority, so that it runs only when the
// processor has nothing else to do: Windows' THREAD_PRIORITY_IDLE, SCHED_IDLE where POSIX threads
// offer it.
//
//   hftp::detail::LowerCurrentThreadToIdlePriority();
//
// Used by the services manager's tick thread. A platform that refuses the change leaves the thread
// as it was; nothing depends on the priority for correctness. Affects the calling thread only.

namespace hftp::detail {

void LowerCurrentThreadToIdlePriority() noexcept;

}  // namespace hftp::detail
