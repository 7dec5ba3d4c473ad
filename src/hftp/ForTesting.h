#pragma once
// The engine's hooks for tests, all in one place: they let a test watch what a transfer asks of
// libcurl, or make it trust a test's own certificate authority, for the lifetime of a scope object.
//
//   std::vector<hftp::detail::RecordedOption> options;
//   {
//     hftp::detail::ScopedOptionRecordingForTesting recording(options);
//     Service service(...);  // configures its handle on this thread
//   }
//   // options now lists every option in the order it was set, with its value
//
//   hftp::detail::ScopedTrustedCaFileForTesting trust("/tmp/pki/ca.pem");
//   // transfers configured now trust exactly the certificates of that file (CURLOPT_CAINFO)
//
//   bool built = hftp::detail::PlatformTrustedRootsBuiltForTesting();  // the roots' blob exists
//   hftp::detail::ScopedRootsGatheringDelayForTesting slow(std::chrono::seconds(5));  // Windows
//
// Only test programs call these: no shipping code may refer to one, which
// tests/plugin/check_test_hooks.py checks in the libraries the DLL is linked from. Each hook is
// defined beside the state it replaces.
//
// Thread-safety: an option recording is per thread: only options set on the thread that holds it
// are logged, so transfers on other threads are not disturbed (the options are still applied). A
// trusted CA file applies to the whole process: create it before the transfers it is meant for
// and keep it until they are configured.

#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace hftp::detail {

// One curl_easy_setopt of the engine (hftp/detail/EasyOptions.h), as recorded.
struct RecordedOption {
  enum class Kind { Long, Offset, Text, Pointer, List, Callback };

  CURLoption option;
  Kind kind;
  std::int64_t number = 0;          // Long and Offset
  std::optional<std::string> text;  // Text; absent for null
  const void* pointer = nullptr;    // Pointer and List
  bool callbackSet = false;         // Callback: whether it was non-null
};

class ScopedOptionRecordingForTesting {
 public:
  explicit ScopedOptionRecordingForTesting(std::vector<RecordedOption>& log) noexcept;
  ScopedOptionRecordingForTesting(const ScopedOptionRecordingForTesting&) = delete;
  ScopedOptionRecordingForTesting& operator=(const ScopedOptionRecordingForTesting&) = delete;
  ~ScopedOptionRecordingForTesting();

 private:
  std::vector<RecordedOption>* previous_;
};

// Transfers configured while the object lives trust exactly the certificates of the PEM file at
// `path` instead of the platform's roots (hftp/detail/TrustedRoots.h), on every platform.
class ScopedTrustedCaFileForTesting {
 public:
  explicit ScopedTrustedCaFileForTesting(std::string path);
  ScopedTrustedCaFileForTesting(const ScopedTrustedCaFileForTesting&) = delete;
  ScopedTrustedCaFileForTesting& operator=(const ScopedTrustedCaFileForTesting&) = delete;
  ~ScopedTrustedCaFileForTesting();

 private:
  std::shared_ptr<const std::string> previous_;
};

// Whether the platform's trusted roots (hftp/detail/TrustedRoots.h) have been built in this
// process; always false where the platform has none to build.
bool PlatformTrustedRootsBuiltForTesting() noexcept;

// Gathering the platform's trusted roots takes `delay` longer while the object lives, as on a slow
// machine (Windows only: elsewhere nothing is gathered).
class ScopedRootsGatheringDelayForTesting {
 public:
  explicit ScopedRootsGatheringDelayForTesting(std::chrono::milliseconds delay) noexcept;
  ScopedRootsGatheringDelayForTesting(const ScopedRootsGatheringDelayForTesting&) = delete;
  ScopedRootsGatheringDelayForTesting& operator=(const ScopedRootsGatheringDelayForTesting&) =
      delete;
  ~ScopedRootsGatheringDelayForTesting();

 private:
  std::chrono::milliseconds previous_;
};

}  // namespace hftp::detail
