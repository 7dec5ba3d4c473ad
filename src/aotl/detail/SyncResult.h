#pragma once
// The rendezvous of a synchronous call, and the callable that connects a call to it.
//
// SyncResult<R, E> lives on the waiting caller's stack. The worker finishes it exactly once, with
// SetResult, SetException (the callee threw) or SetDisposed (the target was gone); Wait blocks,
// without a timeout, until then and returns the result, raises carried_exception with the callee's
// message, or returns a value-initialised R (nothing for void, null for a pointer) when disposed.
// The destructor waits too, so the rendezvous never disappears while its job can still finish it.
//
// HlpCall<R> is what a synchronous call puts into ActiveJob::call: it runs the target and hands the
// result to the completion. When the target throws, the completion is not run and the exception
// leaves HlpCall unchanged, for the worker to route to onError or onDisposed.

#include "aotl/Exceptions.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <type_traits>
#include <utility>

namespace AOTL::detail {

// What both variants of SyncResult share: the lock, the signal and the three outcomes.
template <typename E>
class SyncResultBase {
 public:
  SyncResultBase() = default;
  SyncResultBase(const SyncResultBase&) = delete;
  SyncResultBase& operator=(const SyncResultBase&) = delete;

  void SetException(const E& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    error_ = error.what();
    failed_ = true;
    Finish();
  }

  void SetDisposed() {
    std::lock_guard<std::mutex> lock(mutex_);
    disposed_ = true;
    Finish();
  }

 protected:
  ~SyncResultBase() = default;

  // Stores a result through `store` under the lock and signals the waiter.
  template <typename Store>
  void Complete(Store&& store) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::forward<Store>(store)();
    Finish();
  }

  // Blocks until finished; raises the callee's failure; returns whether the target was disposed.
  bool WaitDone() {
    std::unique_lock<std::mutex> lock(mutex_);
    signal_.wait(lock, [this] { return done_; });
    if (failed_) throw carried_exception(error_);
    return disposed_;
  }

  // For the destructors of the variants, which must wait before their result member goes away.
  void WaitQuietly() noexcept {
    try {
      WaitDone();
    } catch (...) {
      // The waiter that mattered has already seen the failure.
    }
  }

 private:
  // Notifies while the lock is still held: the waiter may destroy the rendezvous as soon as it sees
  // `done_`, so nothing may touch it after the lock is released.
  void Finish() {
    done_ = true;
    signal_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable signal_;
  std::string error_;
  bool done_ = false;
  bool failed_ = false;
  bool disposed_ = false;
};

template <typename R, typename E>
class SyncResult : public SyncResultBase<E> {
  static_assert(!std::is_reference_v<R>, "a synchronous call cannot return a reference");

 public:
  ~SyncResult() { this->WaitQuietly(); }

  void SetResult(R result) {
    this->Complete([&] { result_ = std::move(result); });
  }

  R Wait() {
    if (this->WaitDone()) return R();
    return std::move(result_);
  }

 private:
  R result_{};
};

template <typename E>
class SyncResult<void, E> : public SyncResultBase<E> {
 public:
  ~SyncResult() { this->WaitQuietly(); }

  void SetResult() {
    this->Complete([] {});
  }

  void Wait() { this->WaitDone(); }
};

template <typename R>
struct HlpCall {
  std::function<R()> target;
  std::function<void(R)> completion;

  void operator()() const { completion(target()); }
};

template <>
struct HlpCall<void> {
  std::function<void()> target;
  std::function<void()> completion;

  void operator()() const {
    target();
    completion();
  }
};

}  // namespace AOTL::detail
