#pragma once
// A name lookup that does not answer, for tests of what a download does while libcurl's resolver
// waits (a slow or dead DNS server). The test executable that links HeldLookup.cpp replaces the C
// library's getaddrinfo for the whole process: lookups of the held name block until the hold ends
// (or `longest` has passed) and then fail as an unknown name; every other name resolves as usual.
//
//   msk::test::HeldLookup held("held-lookup.test");
//   ... start a download of http://held-lookup.test:PORT/...
//   ASSERT_TRUE(held.AwaitLookup(std::chrono::seconds(5)));  // libcurl's resolver is stuck in it
//   ...
//   held.Release();   // (or its end) lets every held lookup go, so that their threads can end
//
// Linux with glibc only (the native builds): the replacement finds the real function with
// dlsym(RTLD_NEXT), which under a sanitizer is the sanitizer's own interceptor.
//
// Thread-safety: one HeldLookup at a time; its members may be called from any thread, and the held
// lookups run on whatever threads the resolver uses.

#include <chrono>
#include <string>

namespace msk::test {

class HeldLookup {
 public:
  explicit HeldLookup(std::string name,
                      std::chrono::milliseconds longest = std::chrono::seconds(20));
  ~HeldLookup();
  HeldLookup(const HeldLookup&) = delete;
  HeldLookup& operator=(const HeldLookup&) = delete;

  // Waits until a lookup of the name has begun (and is held); false after `timeout`.
  bool AwaitLookup(std::chrono::milliseconds timeout) const;
  // Ends the hold now rather than at destruction.
  void Release() noexcept;
};

}  // namespace msk::test
