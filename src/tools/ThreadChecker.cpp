#include "tools/ThreadChecker.h"

#include "tools/ForTesting.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace Tools {
namespace {

// A number for the calling thread, never 0.
std::uint64_t CurrentThreadNumber() noexcept {
#if defined(_WIN32)
  // The platform's thread id rather than a thread_local: mingw emulates thread_local with memory
  // kept per thread, and the host's threads outlive this library once it is unloaded. An id may
  // be reused after its thread ended, so a checker bound to an ended thread may accept the new
  // one; it never rejects a right call.
  return ::GetCurrentThreadId();
#else
  static std::atomic<std::uint64_t> lastNumber{0};
  thread_local const std::uint64_t number = lastNumber.fetch_add(1, std::memory_order_relaxed) + 1;
  return number;
#endif
}

std::atomic<ScopedThreadCheckHandlerForTesting::Handler> testHandler{nullptr};

// A broken thread rule is a bug that may corrupt anything later: say where, then stop.
[[noreturn]] void ReportAndAbort(const ThreadCheckFailure& failure) noexcept {
  char text[1024];
  std::snprintf(text, sizeof text,
                "MarlowSetupKit: thread check failed at %s:%d: the object is bound to thread "
                "%" PRIu64 ", called on thread %" PRIu64 "\n",
                failure.file, failure.line, failure.boundThread, failure.callingThread);
  std::fputs(text, stderr);
  std::fflush(stderr);
#if defined(_WIN32)
  ::OutputDebugStringA(text);
  // Not abort(): the C runtime's abort ends the process through exit code paths that call every
  // DLL's detach code, and with it this library's static destructors, on the broken state.
  ::TerminateProcess(::GetCurrentProcess(), 3);
#endif
  std::abort();
}

}  // namespace

void ThreadChecker::Check(const char* file, int line) const noexcept {
  const std::uint64_t calling = CurrentThreadNumber();
  std::uint64_t bound = 0;
  // One compare-and-swap binds an unbound checker and reads a bound one: of two threads making the
  // first check at once, exactly one binds and the other fails.
  if (bound_.compare_exchange_strong(bound, calling, std::memory_order_relaxed) ||
      bound == calling) {
    return;
  }
  const ThreadCheckFailure failure{file, line, bound, calling};
  if (const auto handler = testHandler.load(std::memory_order_acquire)) {
    handler(failure);
    return;
  }
  ReportAndAbort(failure);
}

ScopedThreadCheckHandlerForTesting::ScopedThreadCheckHandlerForTesting(Handler handler) noexcept
    : previous_(testHandler.exchange(handler, std::memory_order_acq_rel)) {}

ScopedThreadCheckHandlerForTesting::~ScopedThreadCheckHandlerForTesting() {
  testHandler.store(previous_, std::memory_order_release);
}

}  // namespace Tools
