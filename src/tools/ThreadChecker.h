#pragma once
// Makes a header's thread rule ("the window's thread only", "single-threaded by design") check
// itself: the object carries a checker, and each of its entry points asserts that it runs on the
// thread the object is used on.
//
//   class Pool {
//    public:
//     void Tick() {
//       MSK_CHECK_THREAD(thread_);
//       ...
//     }
//    private:
//     MSK_THREAD_CHECKER(thread_);
//   };
//
// A checker binds to the thread of its first check, not to the thread that constructed it, so an
// object may be made on one thread and handed to the thread that uses it. From then on a check on
// any other thread is a failure: it names the file and line of the check and ends the process
// (a test may take the report instead: ScopedThreadCheckHandlerForTesting in tools/ForTesting.h).
// A copy of a checker is a new checker, unbound; assigning one leaves the binding alone, so a
// class is copyable or not whether or not the checks are built in.
//
// The checks are built where MSK_THREAD_CHECKS is 1, which the build sets wherever it builds the
// tests (every test program, the sanitizer builds and the DLL that the wine suites load). The DLL
// that ships is built without them: the macros then expand to nothing and the member to no
// member at all.
//
// Thread-safety: a checker may be checked from any thread at the same time; that is its purpose.

#include <atomic>
#include <cstdint>

#ifndef MSK_THREAD_CHECKS
#error "MSK_THREAD_CHECKS must be 0 or 1 (set by the msk_tools target)"
#endif

namespace Tools {

class ThreadChecker {
 public:
  ThreadChecker() noexcept = default;
  ThreadChecker(const ThreadChecker& /*other*/) noexcept {}
  ThreadChecker& operator=(const ThreadChecker& /*other*/) noexcept { return *this; }
  ~ThreadChecker() = default;

  // Binds an unbound checker to the calling thread; on any thread but the bound one, reports a
  // failure at `file` and `line`.
  void Check(const char* file, int line) const noexcept;

 private:
  // The bound thread's number (CurrentThreadNumber in the .cpp); 0 while unbound.
  mutable std::atomic<std::uint64_t> bound_{0};
};

}  // namespace Tools

#if MSK_THREAD_CHECKS
#define MSK_THREAD_CHECKER(name) ::Tools::ThreadChecker name
#define MSK_CHECK_THREAD(name) (name).Check(__FILE__, __LINE__)
#else
#define MSK_THREAD_CHECKER(name) static_assert(true, "")
#define MSK_CHECK_THREAD(name) static_cast<void>(0)
#endif
