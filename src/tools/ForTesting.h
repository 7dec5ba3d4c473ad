#pragma once
// The tools layer's hooks for tests, all in one place: each replaces a platform call or a
// reaction that a test cannot otherwise steer, for the lifetime of a scope object.
//
//   const Tools::StringTools::detail::ScopedCodePageApiOverrideForTesting failing(kFailingApi);
//   std::string out;
//   EXPECT_FALSE(Tools::StringTools::ConvertToUtf8(L"text", out));  // fails as scripted
//
// Only test programs call these: no shipping code may refer to one, which
// tests/plugin/check_test_hooks.py checks in the libraries the DLL is linked from. Each hook is
// defined beside the state it replaces, and replaces it for the whole process.
//
// Thread-safety: install and remove a hook while no other thread uses what it replaces.

#include "tools/detail/CodePageApi.h"

#include <cstdint>

#if defined(_WIN32)
#include "tools/detail/UserApi.h"
#endif

namespace Tools {

// A failed thread check (tools/ThreadChecker.h): where it was and the two threads' numbers.
struct ThreadCheckFailure {
  const char* file;
  int line;
  std::uint64_t boundThread;
  std::uint64_t callingThread;
};

// Failed thread checks go to `handler`, and the checked call goes on, instead of the process
// ending.
class ScopedThreadCheckHandlerForTesting {
 public:
  using Handler = void (*)(const ThreadCheckFailure& failure) noexcept;

  explicit ScopedThreadCheckHandlerForTesting(Handler handler) noexcept;
  ~ScopedThreadCheckHandlerForTesting();
  ScopedThreadCheckHandlerForTesting(const ScopedThreadCheckHandlerForTesting&) = delete;
  ScopedThreadCheckHandlerForTesting& operator=(const ScopedThreadCheckHandlerForTesting&) = delete;

 private:
  Handler previous_;
};

}  // namespace Tools

namespace Tools::StringTools::detail {

// StringTools converts through `replacement` (which must outlive the object), to reach failure
// paths that the real code-page functions cannot produce on demand.
class ScopedCodePageApiOverrideForTesting {
 public:
  explicit ScopedCodePageApiOverrideForTesting(const CodePageApi& replacement) noexcept;
  ~ScopedCodePageApiOverrideForTesting();
  ScopedCodePageApiOverrideForTesting(const ScopedCodePageApiOverrideForTesting&) = delete;
  ScopedCodePageApiOverrideForTesting& operator=(const ScopedCodePageApiOverrideForTesting&) =
      delete;

 private:
  const CodePageApi* previous_;
};

}  // namespace Tools::StringTools::detail

#if defined(_WIN32)
namespace Tools::SystemTools::detail {

// The user queries call through `replacement` (which must outlive the object): start from
// PlatformUserApi() and replace the entries to script, to reach cases the platform cannot produce
// on demand (a console token refused, a SID that fails IsValidSid).
class ScopedUserApiOverrideForTesting {
 public:
  explicit ScopedUserApiOverrideForTesting(const UserApi& replacement) noexcept;
  ~ScopedUserApiOverrideForTesting();
  ScopedUserApiOverrideForTesting(const ScopedUserApiOverrideForTesting&) = delete;
  ScopedUserApiOverrideForTesting& operator=(const ScopedUserApiOverrideForTesting&) = delete;

 private:
  const UserApi* previous_;
};

}  // namespace Tools::SystemTools::detail

namespace Tools::SystemTools {

// The two checks behind IsInternetConnected (tools/NetworkCheck.h), each answering exactly what
// its platform call returned as TRUE/FALSE.
struct NetworkProbe {
  bool (*isNetworkAlive)();
  bool (*internetGetConnectedState)();
};

// IsInternetConnected asks `probe` (which must outlive the object) instead of the platform.
class ScopedNetworkProbeOverrideForTesting {
 public:
  explicit ScopedNetworkProbeOverrideForTesting(const NetworkProbe& probe) noexcept;
  ~ScopedNetworkProbeOverrideForTesting();
  ScopedNetworkProbeOverrideForTesting(const ScopedNetworkProbeOverrideForTesting&) = delete;
  ScopedNetworkProbeOverrideForTesting& operator=(const ScopedNetworkProbeOverrideForTesting&) =
      delete;

 private:
  const NetworkProbe* previous_;
};

}  // namespace Tools::SystemTools
#endif
