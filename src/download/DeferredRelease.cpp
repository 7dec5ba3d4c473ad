#include "download/DeferredRelease.h"

#include "download/EngineSession.h"

#include <atomic>
#include <list>
#include <mutex>
#include <thread>
#include <utility>

namespace download {
namespace {

struct Release {
  std::thread thread;
  std::atomic<bool> done{false};
};

struct Releases {
  std::mutex mutex;
  std::list<Release> running;  // a list: an entry's address stays while its thread runs
};

// Never destroyed: its destructor would run while the module unloads, under the loader lock,
// where joining threads deadlocks. The host awaits the releases before that.
Releases& Registry() noexcept {
  static Releases* const releases = new Releases;
  return *releases;
}

// Joins the threads that have finished. Called with the registry's mutex held.
void JoinFinished(std::list<Release>& running) noexcept {
  for (auto entry = running.begin(); entry != running.end();) {
    if (!entry->done.load(std::memory_order_acquire)) {
      ++entry;
      continue;
    }
    entry->thread.join();
    entry = running.erase(entry);
  }
}

}  // namespace

void ReleaseInBackground(std::shared_ptr<hftp::IService> service) noexcept {
  if (!service) return;
  try {
    // Begun here, on the job's thread, before that thread's own session can end.
    auto session = std::make_unique<EngineSession>();
    Releases& releases = Registry();
    const std::lock_guard<std::mutex> lock(releases.mutex);
    JoinFinished(releases.running);
    Release& release = releases.running.emplace_back();
    try {
      release.thread = std::thread(
          [&release](std::shared_ptr<hftp::IService> owned, std::unique_ptr<EngineSession> held) {
            owned.reset();
            held.reset();  // the last session tears the engine down, here rather than in the job
            release.done.store(true, std::memory_order_release);
          },
          std::move(service), std::move(session));
    } catch (...) {
      releases.running.pop_back();
      throw;
    }
  } catch (...) {
    service.reset();  // no thread (or no memory): released here, waiting for the worker
  }
}

void AwaitBackgroundReleases() noexcept {
  Releases& releases = Registry();
  std::list<Release> running;
  {
    const std::lock_guard<std::mutex> lock(releases.mutex);
    running.swap(releases.running);
  }
  for (Release& release : running) release.thread.join();
}

}  // namespace download
