#include "HeldLookup.h"

#include <dlfcn.h>
#include <netdb.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <utility>

namespace msk::test {
namespace {

struct State {
  std::mutex mutex;
  std::condition_variable changed;
  std::string name;  // empty: nothing is held
  std::chrono::milliseconds longest{0};
  std::uint64_t hold = 0;  // which hold is on; a lookup waits until it changes
  int begun = 0;           // lookups of the name begun during the current hold
};

// Never destroyed: a resolver thread that libcurl left behind may still be in a lookup while the
// process exits.
State& Shared() {
  static State* const state = new State;
  return *state;
}

// True when `node` is the held name: the lookup was held until the hold ended or its time ran out.
bool HoldIfHeld(const char* node) {
  State& state = Shared();
  std::unique_lock<std::mutex> lock(state.mutex);
  if (state.name.empty() || state.name != node) return false;
  const std::uint64_t hold = state.hold;
  ++state.begun;
  state.changed.notify_all();
  state.changed.wait_for(lock, state.longest, [&] { return state.hold != hold; });
  return true;
}

using GetAddrInfo = int (*)(const char*, const char*, const addrinfo*, addrinfo**);

}  // namespace

HeldLookup::HeldLookup(std::string name, std::chrono::milliseconds longest) {
  State& state = Shared();
  const std::lock_guard<std::mutex> lock(state.mutex);
  state.name = std::move(name);
  state.longest = longest;
  state.begun = 0;
  ++state.hold;
}

HeldLookup::~HeldLookup() {
  Release();
}

void HeldLookup::Release() noexcept {
  State& state = Shared();
  const std::lock_guard<std::mutex> lock(state.mutex);
  state.name.clear();
  ++state.hold;
  state.changed.notify_all();
}

bool HeldLookup::AwaitLookup(std::chrono::milliseconds timeout) const {
  State& state = Shared();
  std::unique_lock<std::mutex> lock(state.mutex);
  return state.changed.wait_for(lock, timeout, [&] { return state.begun > 0; });
}

}  // namespace msk::test

// Replaces the C library's function for the whole process (libcurl's resolver thread included):
// the executable's definition comes first in the dynamic linker's search.
extern "C" int getaddrinfo(const char* node, const char* service, const addrinfo* hints,
                           addrinfo** result) noexcept {
  if (node != nullptr && msk::test::HoldIfHeld(node)) return EAI_NONAME;
  static const auto real =
      reinterpret_cast<msk::test::GetAddrInfo>(dlsym(RTLD_NEXT, "getaddrinfo"));
  if (real == nullptr) return EAI_SYSTEM;
  return real(node, service, hints, result);
}
