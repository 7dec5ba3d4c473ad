#pragma once
// A thread that runs queued jobs one at a time, in the order they were posted.
//
// WorkerThread<T, Job, WorkerPolicy>: `T` only tells worker families apart (the shared worker of
// SharedThread<T, ...> is a WorkerThread<T, ...>), `Job` is an ActiveJob<E>, and `WorkerPolicy`
// (DefaultWorkerThreadPolicy) supplies the idle wait and the thread's start and end hooks.
//
// Lifecycle: the constructor returns once the thread runs. Stop() asks the thread to end; while
// active objects are still attached (Attach/Detach) the thread goes on serving their jobs and ends
// after the last one detaches; once stopped with nothing attached it ends and jobs still queued are
// never run. Stop() joins the thread unless called on the worker itself. The destructor stops,
// waits for the thread (unless it runs on the worker) and drops queued jobs without running any of
// their handlers. A worker is never restarted.
//
// The worker may be destroyed by one of its own jobs (for example when such a job releases the last
// owner of an active object that has its own worker): Stop then does not join, and the thread
// leaves its loop right after that job without touching the destroyed worker again.
//
// Thread-safety: every member function may be called from any thread. The lock is held only to
// change the queue, the flags and the attach count; never while a job runs.

#include "tools/ThreadAdapter.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace AOTL::detail {

template <typename T, typename Job, typename WorkerPolicy>
class WorkerThread {
 public:
  WorkerThread();
  ~WorkerThread();

  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // Binds one more active object to this worker.
  void Attach();
  // Unbinds one; calls `onLast` (when not empty) after the count dropped to zero.
  void Detach(const std::function<void()>& onLast);
  // Queues `job` and returns at once.
  void Post(Job job);
  // Requests the end of the thread; joins it unless called on the worker. A second call returns at
  // once.
  void Stop();
  // True on the worker's own thread.
  bool IsWorkerThread() const;

 private:
  void Run();
  template <typename Predicate>
  void WaitFor(std::unique_lock<std::mutex>& lock, Predicate done);
  bool MayEnd() const { return stopRequested_ && attachCount_ == 0; }

  std::uint32_t attachCount_ = 0;
  std::deque<Job> jobs_;
  std::mutex mutex_;
  std::condition_variable wakeup_;
  bool stopRequested_ = true;  // holds the new thread until the constructor has finished
  bool started_ = false;
  std::shared_ptr<Tools::ThreadAdapter::Thread> thread_;
  std::atomic<std::thread::id> threadId_{};
};

template <typename T, typename Job, typename WorkerPolicy>
WorkerThread<T, Job, WorkerPolicy>::WorkerThread() {
  thread_ = std::make_shared<Tools::ThreadAdapter::Thread>([this] { Run(); }, [this] { Stop(); },
                                                           "AOTL::WorkerThread");
  std::unique_lock<std::mutex> lock(mutex_);
  stopRequested_ = false;
  wakeup_.notify_all();
  WaitFor(lock, [this] { return started_; });
}

template <typename T, typename Job, typename WorkerPolicy>
WorkerThread<T, Job, WorkerPolicy>::~WorkerThread() {
  thread_->Stop();
  // Stop returns without joining when the stop had been requested before (for instance by a job on
  // the worker); the thread must still be gone before the members below are.
  thread_->join();
  thread_.reset();
}

template <typename T, typename Job, typename WorkerPolicy>
void WorkerThread<T, Job, WorkerPolicy>::Attach() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++attachCount_;
}

template <typename T, typename Job, typename WorkerPolicy>
void WorkerThread<T, Job, WorkerPolicy>::Detach(const std::function<void()>& onLast) {
  bool last = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (attachCount_ > 0) --attachCount_;
    last = attachCount_ == 0;
    // A stopping worker waits for its last object: let it end now rather than at its next check.
    if (last && stopRequested_) wakeup_.notify_all();
  }
  if (last && onLast) onLast();
}

template <typename T, typename Job, typename WorkerPolicy>
void WorkerThread<T, Job, WorkerPolicy>::Post(Job job) {
  std::lock_guard<std::mutex> lock(mutex_);
  jobs_.push_back(std::move(job));
  // Notified under the lock: once it is released, the job may run and destroy this worker (the
  // last owner of an own-thread object released by its own job), so nothing may follow the unlock.
  wakeup_.notify_all();
}

template <typename T, typename Job, typename WorkerPolicy>
void WorkerThread<T, Job, WorkerPolicy>::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopRequested_) return;
    stopRequested_ = true;
    wakeup_.notify_all();
  }
  if (IsWorkerThread()) return;  // a thread cannot join itself; its loop ends on its own
  thread_->join();
}

template <typename T, typename Job, typename WorkerPolicy>
bool WorkerThread<T, Job, WorkerPolicy>::IsWorkerThread() const {
  const std::thread::id id = threadId_.load(std::memory_order_acquire);
  return id != std::thread::id() && id == std::this_thread::get_id();
}

template <typename T, typename Job, typename WorkerPolicy>
template <typename Predicate>
void WorkerThread<T, Job, WorkerPolicy>::WaitFor(std::unique_lock<std::mutex>& lock,
                                                 Predicate done) {
  // Bounded waits: the condition is checked again at least once per period even without a wake-up.
  while (!done()) wakeup_.wait_for(lock, WorkerPolicy::kIdleWait);
}

template <typename T, typename Job, typename WorkerPolicy>
void WorkerThread<T, Job, WorkerPolicy>::Run() {
  // Keeps the adapter alive even if a job destroys this worker; when this is the last reference
  // after a job, the worker is gone and the loop must end without touching any member.
  std::shared_ptr<Tools::ThreadAdapter::Thread> self;
  WorkerPolicy::ThreadStarted();
  {
    std::unique_lock<std::mutex> lock(mutex_);
    WaitFor(lock, [this] { return !stopRequested_; });
    threadId_.store(std::this_thread::get_id(), std::memory_order_release);
    self = thread_;
    started_ = true;
    wakeup_.notify_all();
  }

  for (;;) {
    std::optional<Job> job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      WaitFor(lock, [this] { return !jobs_.empty() || MayEnd(); });
      if (MayEnd()) break;  // jobs still queued are never run
      job.emplace(std::move(jobs_.front()));
      jobs_.pop_front();
    }
    job->Execute();
    job.reset();  // may release the last owner of this worker, too
    if (self.use_count() == 1) break;
  }

  WorkerPolicy::ThreadEnded();
}

}  // namespace AOTL::detail
