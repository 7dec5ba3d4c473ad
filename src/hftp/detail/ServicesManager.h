#pragma once
// The process-wide owner of the transfer pool, and the gate through which pooled transfers enter
// and leave it.
//
//   ServicesManager& manager = ServicesManager::Instance();  // created with its pool on first use
//   manager.AddTransfer(item, easyHandle);                   // returns once the pool has it
//   manager.RemoveTransfer(item, easyHandle);                // returns once it is out
//   ServicesManager::DestroyInstance();                      // engine teardown, first half
//
// The manager's thread ("hftp::ServicesManager", idle priority) posts the pool's tick to the shared
// worker every 10 ms; the pool lives on the shared worker from the manager's construction until its
// thread stops. Teardown destroys the manager and then the shared worker (hftp/EngineTeardown.h).
//
// A tick performs once and then waits a little (kActivityWait) for the transfers' sockets; when one
// becomes ready it queues the next tick at once, behind whatever else waits for the worker, rather
// than leaving the data to the next period. So a busy pool keeps reading at the speed data arrives,
// other jobs on the worker wait at most one tick, and an idle pool ticks once per period as before.
// At most one tick is queued at a time: a tick that is still waiting for the worker is not joined
// by another.
//
// Threading: Instance, Existing, AddTransfer and RemoveTransfer may be called from any thread,
// the shared worker included. Off the shared worker, adding and removing hold the manager's mutex
// while the pool does the work on the shared worker. On the shared worker they call the pool
// directly and never take the mutex: another thread may hold it while it waits for that very
// worker, so waiting for it there would deadlock. (The one exception, a manager that lost the race
// in Instance and is destroyed on the worker, was never published; see the destructor.)
// DestroyInstance must not run while a pooled service still exists.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "hftp/detail/CurlPool.h"
#include "hftp/detail/EngineThreads.h"
#include "hftp/detail/IPooled.h"
#include "tools/ThreadAdapter.h"

namespace hftp::detail {

class ServicesManager {
 public:
  using PoolObject = AOTL::detail::ActiveObject<CurlPool, SharedPolicy>;
  static constexpr std::chrono::milliseconds kTickPeriod{10};
  // How long a tick of a pool with transfers waits for one of their sockets before it leaves the
  // rest to the next period. Long enough to bridge the gaps between a sender's writes, short enough
  // that adding and removing transfers never wait for it noticeably: natively, with it one pooled
  // download went from 300-370 MB/s to 1500-2600 MB/s (as fast as the curl tool); 0 ms gained
  // nothing, and 5 ms no more than 1-2 ms while letting a job wait up to 5.5 ms for the worker.
  static constexpr std::chrono::milliseconds kActivityWait{2};

  // The manager, created on first use (published with a compare-and-swap; a thread that loses the
  // race destroys its own and returns the winner's).
  static ServicesManager& Instance();
  // The manager if there is one; never creates it.
  static ServicesManager* Existing() noexcept;
  // Destroys the manager, if there is one, and then empties the slot.
  static void DestroyInstance();

  // Creates the pool on the shared worker (starting the worker if needed) and starts the thread.
  ServicesManager();
  // Stops the thread, which destroys the pool on its way out, and waits for it.
  ~ServicesManager();

  ServicesManager(const ServicesManager&) = delete;
  ServicesManager& operator=(const ServicesManager&) = delete;

  void AddTransfer(IPooled* item, void* easyHandle);
  void RemoveTransfer(IPooled* item, void* easyHandle);

 private:
  void Run();
  void Stop();
  void DestroyPool();
  // Queues one tick unless one is queued already. Any thread.
  void PostTick() noexcept;
  // The tick itself, on the shared worker.
  void Tick(CurlPool& pool) noexcept;

  inline static std::atomic<ServicesManager*> slot_{nullptr};

  // The active object stays until the manager goes; "the pool is gone" means its CurlPool was
  // destroyed (calls then find it disposed and do nothing). Never reassigned, so the shared worker
  // can reach it without the mutex.
  const std::unique_ptr<PoolObject> pool_;
  std::mutex mutex_;  // guards running_ and poolAlive_; held around adding and removing
  std::condition_variable stopping_;  // wakes the thread when running_ goes false
  bool running_ = true;               // until Stop
  bool poolAlive_ = true;             // until DestroyPool
  std::atomic<bool> tickQueued_{false};
  std::unique_ptr<Tools::ThreadAdapter::Thread> thread_;  // last: starts once the rest exists
};

}  // namespace hftp::detail
