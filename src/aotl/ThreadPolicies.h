#pragma once
// Which worker thread runs an active object.
//
// OwnThread<T, E, WorkerPolicy>: every active object gets a worker of its own, started and attached
// when the object is made; when the object goes, it detaches, stops and joins that worker.
//
// SharedThread<T, E, WorkerPolicy>: every active object of the same instantiation runs on one
// process-wide worker, the shared worker. SharedWorker() returns it, creating it on first use; two
// threads racing for the first one both get the same worker, and the loser's is stopped and joined
// before its call returns. Objects attach to it and detach from it, but the shared worker outlives
// its last object: only DestroySharedWorker() ends it (stop and join) and empties the slot, so that
// the next SharedWorker() starts a fresh one. Call it after every object on the shared worker is
// gone; a worker with objects still attached goes on serving them, and DestroySharedWorker() waits
// until the last one has detached.
//
// `T` picks the family (SharedThread<Service, ...> objects share a worker whatever class they
// host), `E` is the exception type that crosses threads (std::exception), and `WorkerPolicy`
// parameterises the worker itself: kIdleWait, the longest a worker sleeps before it checks its
// queue and flags again, and ThreadStarted/ThreadEnded, called on the worker thread as it starts
// and ends.

#include "aotl/detail/ActiveJob.h"
#include "aotl/detail/WorkerThread.h"

#include <atomic>
#include <chrono>
#include <exception>
#include <memory>
#include <utility>

namespace AOTL {

struct DefaultWorkerThreadPolicy {
  static constexpr std::chrono::milliseconds kIdleWait{1000};
  static void ThreadStarted() noexcept {}
  static void ThreadEnded() noexcept {}
};

template <typename T, typename E = std::exception,
          typename WorkerPolicy = DefaultWorkerThreadPolicy>
class OwnThread {
 public:
  using Exception = E;
  using Job = detail::ActiveJob<E>;
  using Worker = detail::WorkerThread<T, Job, WorkerPolicy>;

  bool IsWorkerThread() const { return worker_.IsWorkerThread(); }

 protected:
  OwnThread() { worker_.Attach(); }
  // Detaches; destroying `worker_` then stops and joins it (no join when run on the worker itself).
  ~OwnThread() { worker_.Detach({}); }

  void Post(Job job) { worker_.Post(std::move(job)); }

 private:
  Worker worker_;
};

template <typename T, typename E = std::exception,
          typename WorkerPolicy = DefaultWorkerThreadPolicy>
class SharedThread {
 public:
  using Exception = E;
  using Job = detail::ActiveJob<E>;
  using Worker = detail::WorkerThread<T, Job, WorkerPolicy>;

  // The shared worker, created on first use and published with a compare-and-swap.
  static Worker& SharedWorker() {
    if (Worker* current = slot_.load(std::memory_order_acquire)) return *current;
    auto fresh = std::make_unique<Worker>();
    Worker* expected = nullptr;
    if (slot_.compare_exchange_strong(expected, fresh.get(), std::memory_order_acq_rel,
                                      std::memory_order_acquire)) {
      return *fresh.release();
    }
    return *expected;  // lost the race: `fresh` is stopped and joined on the way out
  }

  // Empties the slot and destroys the shared worker, if there is one (stop and join).
  static void DestroySharedWorker() { delete slot_.exchange(nullptr, std::memory_order_acq_rel); }

  bool IsWorkerThread() const { return worker_->IsWorkerThread(); }

 protected:
  // Each object keeps the worker it attached to, so that its detach reaches that worker even while
  // a teardown is emptying the slot.
  SharedThread() : worker_(&SharedWorker()) { worker_->Attach(); }
  ~SharedThread() { worker_->Detach({}); }

  void Post(Job job) { worker_->Post(std::move(job)); }

 private:
  inline static std::atomic<Worker*> slot_{nullptr};
  Worker* worker_;
};

}  // namespace AOTL
