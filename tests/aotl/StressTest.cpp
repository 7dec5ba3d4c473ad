// Many threads posting to and invoking active objects while objects on the shared worker and on
// their own workers are created and destroyed around them. Bounded to about two seconds.

#include "AotlTestSupport.h"

#include "aotl/ActiveObject.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using aotl_test::CountingPolicy;
using aotl_test::Probe;

struct StressTag;
using Policy = CountingPolicy<StressTag>;
using SharedObject =
    AOTL::detail::ActiveObject<Probe, AOTL::SharedThread<StressTag, std::exception, Policy>>;
using OwnObject =
    AOTL::detail::ActiveObject<Probe, AOTL::OwnThread<StressTag, std::exception, Policy>>;

constexpr int kThreads = 6;
constexpr int kFixed = 2;  // long-lived objects of each policy

struct Shared {
  std::array<std::shared_ptr<SharedObject>, kFixed> sharedObjects;
  std::array<std::shared_ptr<OwnObject>, kFixed> ownObjects;
  std::array<std::atomic<int>, 2 * kFixed> posted{};

  std::mutex slotMutex;
  std::shared_ptr<SharedObject> slot;  // replaced and destroyed while other threads call it

  std::atomic<int> violations{0};
  std::atomic<long> operations{0};

  std::shared_ptr<SharedObject> Slot() {
    std::lock_guard<std::mutex> lock(slotMutex);
    return slot;
  }
  void Check(bool ok) {
    if (!ok) ++violations;
  }
};

// Adds to fixed object `index` (own objects after the shared ones), or reads its total.
void Add(Shared& shared, std::size_t index) {
  ++shared.posted[index];
  if (index < kFixed) {
    shared.sharedObjects[index]->Post(&Probe::Add, 1);
  } else {
    shared.ownObjects[index - kFixed]->Post(&Probe::Add, 1);
  }
}
int Total(Shared& shared, std::size_t index) {
  return index < kFixed ? shared.sharedObjects[index]->Invoke(&Probe::Total)
                        : shared.ownObjects[index - kFixed]->Invoke(&Probe::Total);
}

void Hammer(Shared& shared, unsigned seed, std::chrono::steady_clock::time_point deadline) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> pick(0, 99);
  std::uniform_int_distribution<std::size_t> pickFixed(0, 2 * kFixed - 1);
  std::array<int, 2 * kFixed> mine{};  // this thread's posts per fixed object

  while (std::chrono::steady_clock::now() < deadline) {
    ++shared.operations;
    const int choice = pick(random);
    const std::size_t index = pickFixed(random);
    if (choice < 45) {
      Add(shared, index);
      ++mine[index];
    } else if (choice < 60) {
      // FIFO: every earlier post of this thread to the object has run before this call.
      shared.Check(Total(shared, index) >= mine[index]);
    } else if (choice < 68) {
      try {
        shared.sharedObjects[index % kFixed]->Invoke(&Probe::Fail, std::string("stress"));
        shared.Check(false);
      } catch (const std::exception& error) {
        shared.Check(std::string(error.what()) == "stress");
      }
    } else if (choice < 85) {
      // The slot object may be destroyed by another thread at any moment.
      if (auto object = shared.Slot()) {
        object->Post(&Probe::Add, 1);
        void* pointer = object->Invoke(&Probe::Pointer);
        object->Invoke(&Probe::Nothing);
        if (choice < 70) object->Destroy();
        (void)pointer;
      }
    } else if (choice < 92) {
      auto fresh = SharedObject::Create();
      std::shared_ptr<SharedObject> old;
      {
        std::lock_guard<std::mutex> lock(shared.slotMutex);
        old = std::exchange(shared.slot, fresh);
      }
      // `old` is destroyed here or by whichever thread still calls it.
    } else if (choice < 97) {
      auto own = OwnObject::Create();
      own->Post(&Probe::Add, 3);
      shared.Check(own->Invoke(&Probe::Total) == 3);
    } else {
      // An own-thread object whose last owner is released by one of its own jobs.
      auto holder = std::make_shared<std::shared_ptr<OwnObject>>(OwnObject::Create());
      (*holder)->Post([holder](Probe&) { holder->reset(); });
    }
  }
}

TEST(AotlStressTest, ManyThreadsPostAndInvokeWhileObjectsComeAndGo) {
  {
    Shared shared;
    for (int i = 0; i < kFixed; ++i) {
      shared.sharedObjects[static_cast<std::size_t>(i)] = SharedObject::Create();
      shared.ownObjects[static_cast<std::size_t>(i)] = OwnObject::Create();
    }
    shared.slot = SharedObject::Create();

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back(Hammer, std::ref(shared), 1000u + static_cast<unsigned>(t), deadline);
    }
    for (auto& thread : threads) thread.join();

    EXPECT_EQ(shared.violations.load(), 0);
    for (std::size_t i = 0; i < 2 * kFixed; ++i)
      EXPECT_EQ(Total(shared, i), shared.posted[i].load());
    RecordProperty("operations", std::to_string(shared.operations.load()));
    std::printf("stress: %ld operations\n", shared.operations.load());
  }
  SharedObject::DestroySharedWorker();
  EXPECT_TRUE(Policy::WaitUntilRunning(0));
}

}  // namespace
