#pragma once
// Every curl_easy_setopt of the engine goes through these functions, one per kind of value, so a
// test can record the exact sequence of options a transfer sets:
//
//   std::vector<hftp::detail::RecordedOption> options;
//   {
//     hftp::detail::ScopedOptionRecording recording(options);
//     Service service(...);  // configures its handle on this thread
//   }
//   // options now lists every option in the order it was set, with its value
//
// Recording is per thread: only options set on the thread that holds the ScopedOptionRecording
// are logged, so transfers on other threads are not disturbed. The options are still applied.

#include <curl/curl.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hftp::detail {

CURLcode SetLongOption(CURL* handle, CURLoption option, long value) noexcept;
CURLcode SetOffsetOption(CURL* handle, CURLoption option, curl_off_t value) noexcept;
// `text` may be null (resets the option); libcurl copies string options.
CURLcode SetTextOption(CURL* handle, CURLoption option, const char* text) noexcept;
// An untyped pointer handed through to a callback, or data libcurl reads later (post fields).
CURLcode SetPointerOption(CURL* handle, CURLoption option, const void* pointer) noexcept;
CURLcode SetListOption(CURL* handle, CURLoption option, curl_slist* list) noexcept;
// The write and the header handler share curl_write_callback's signature.
CURLcode SetCallbackOption(CURL* handle, CURLoption option, curl_write_callback callback) noexcept;

struct RecordedOption {
  enum class Kind { Long, Offset, Text, Pointer, List, Callback };

  CURLoption option;
  Kind kind;
  std::int64_t number = 0;          // Long and Offset
  std::optional<std::string> text;  // Text; absent for null
  const void* pointer = nullptr;    // Pointer and List
  bool callbackSet = false;         // Callback: whether it was non-null
};

class ScopedOptionRecording {
 public:
  explicit ScopedOptionRecording(std::vector<RecordedOption>& log) noexcept;
  ScopedOptionRecording(const ScopedOptionRecording&) = delete;
  ScopedOptionRecording& operator=(const ScopedOptionRecording&) = delete;
  ~ScopedOptionRecording();

 private:
  std::vector<RecordedOption>* previous_;
};

}  // namespace hftp::detail
