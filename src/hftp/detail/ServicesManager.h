#pragma once
// The process-wide owner of the transfer pool, and the gate through which pooled transfers enter
// and leave it.
//
//   ServicesManager& manager = ServicesManager::Instance();  // created with its pool on first use
//   manager.AddTransfer(item, easyHandle);                   // returns once the pool has it
//   manager.RemoveTransfer(item, easyHandle);                // returns once it is out
//   ServicesManager::DestroyInstance();                      // engine teardown, first half
//
// The manager's thread ("hftp::ServicesManager", idle priority) posts the pool's Tick to the shared
// worker every 10 ms; the pool lives on the shared worker from the manager's construction until its
// thread stops. Teardown destroys the manager and then the shared worker (hftp/EngineTeardown.h).
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

  inline static std::atomic<ServicesManager*> slot_{nullptr};

  // The active object stays until the manager goes; "the pool is gone" means its CurlPool was
  // destroyed (calls then find it disposed and do nothing). Never reassigned, so the shared worker
  // can reach it without the mutex.
  const std::unique_ptr<PoolObject> pool_;
  std::mutex mutex_;       // guards running_ and poolAlive_; held around adding and removing
  bool running_ = true;    // until Stop
  bool poolAlive_ = true;  // until DestroyPool
  std::unique_ptr<Tools::ThreadAdapter::Thread> thread_;  // last: starts once the rest exists
};

}  // namespace hftp::detail
