#include "hftp/detail/ServicesManager.h"

#include "hftp/detail/ThreadPriority.h"

namespace hftp::detail {

ServicesManager& ServicesManager::Instance() {
  if (ServicesManager* current = slot_.load(std::memory_order_acquire)) return *current;
  auto fresh = std::make_unique<ServicesManager>();
  ServicesManager* expected = nullptr;
  if (slot_.compare_exchange_strong(expected, fresh.get(), std::memory_order_acq_rel,
                                    std::memory_order_acquire)) {
    return *fresh.release();
  }
  return *expected;  // lost the race: `fresh` is destroyed on the way out
}

ServicesManager* ServicesManager::Existing() noexcept {
  return slot_.load(std::memory_order_acquire);
}

void ServicesManager::DestroyInstance() {
  // The slot is emptied only once the manager is gone: a pooled service released on the shared
  // worker while the manager stops (an observer releasing its service just as the caller tears
  // down) still finds the pool through it, and the pool is still alive then, since it is destroyed
  // by a job on that same worker.
  delete slot_.load(std::memory_order_acquire);
  slot_.store(nullptr, std::memory_order_release);
}

ServicesManager::ServicesManager()
    : pool_(std::make_unique<PoolObject>()),
      thread_(std::make_unique<Tools::ThreadAdapter::Thread>([this] { Run(); }, [this] { Stop(); },
                                                             "hftp::ServicesManager")) {}

ServicesManager::~ServicesManager() {
  // A manager released on the shared worker (one that lost the race in Instance there) destroys
  // the pool itself: its thread would otherwise wait for this very worker while the worker waits in
  // join below. Taking the mutex there is safe: the manager was never published, so only its own
  // thread uses the mutex, and that thread never waits for the worker before Stop.
  if (pool_->IsWorkerThread()) DestroyPool();
  thread_->Stop();
  thread_->join();
}

void ServicesManager::AddTransfer(IPooled* item, void* easyHandle) {
  if (pool_->IsWorkerThread()) {
    pool_->Invoke(&CurlPool::Add, item, easyHandle);  // inline; nothing when the pool is gone
    return;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (poolAlive_) pool_->Invoke(&CurlPool::Add, item, easyHandle);
}

void ServicesManager::RemoveTransfer(IPooled* item, void* easyHandle) {
  if (pool_->IsWorkerThread()) {
    pool_->Invoke(&CurlPool::Remove, item, easyHandle);
    return;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (poolAlive_) pool_->Invoke(&CurlPool::Remove, item, easyHandle);
}

void ServicesManager::Run() {
  LowerCurrentThreadToIdlePriority();
  {
    std::unique_lock<std::mutex> lock(mutex_);
    while (running_) {
      if (poolAlive_) PostTick();
      // Stop wakes the thread at once: a download's teardown does not wait out the period.
      stopping_.wait_for(lock, kTickPeriod, [this] { return !running_; });
    }
  }
  DestroyPool();
}

void ServicesManager::PostTick() noexcept {
  if (tickQueued_.exchange(true, std::memory_order_acq_rel)) return;
  try {
    // The pool lives no longer than the manager, so a tick that finds the pool finds `this`.
    pool_->Post([this](CurlPool& pool) { Tick(pool); });
  } catch (...) {
    tickQueued_.store(false, std::memory_order_release);  // the next period tries again
  }
}

void ServicesManager::Tick(CurlPool& pool) noexcept {
  tickQueued_.store(false, std::memory_order_release);
  try {
    pool.Tick();
    if (pool.AwaitActivity(kActivityWait)) PostTick();
  } catch (...) {
    // An observer's exception never gets here (the service catches it); an allocation failure
    // inside the pool leaves the next period to try again.
  }
}

void ServicesManager::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    running_ = false;
  }
  stopping_.notify_all();
}

void ServicesManager::DestroyPool() {
  // Held while the pool is destroyed on the shared worker: no transfer is added or removed
  // meanwhile. The worker never takes this mutex, so waiting for it here cannot deadlock.
  std::lock_guard<std::mutex> lock(mutex_);
  if (!poolAlive_) return;
  poolAlive_ = false;
  pool_->Destroy();
}

}  // namespace hftp::detail
