#include "hftp/detail/EasyOptions.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "hftp/ForTesting.h"

namespace hftp::detail {
namespace {

thread_local std::vector<RecordedOption>* recording = nullptr;

// Recording happens only in tests; a failed allocation there must not unwind through libcurl.
void Record(RecordedOption entry) noexcept {
  if (recording == nullptr) return;
  try {
    recording->push_back(std::move(entry));
  } catch (...) {
  }
}

}  // namespace

CURLcode SetLongOption(CURL* handle, CURLoption option, long value) noexcept {
  Record({option, RecordedOption::Kind::Long, value, std::nullopt, nullptr, false});
  return curl_easy_setopt(handle, option, value);
}

CURLcode SetOffsetOption(CURL* handle, CURLoption option, curl_off_t value) noexcept {
  Record({option, RecordedOption::Kind::Offset, value, std::nullopt, nullptr, false});
  return curl_easy_setopt(handle, option, value);
}

CURLcode SetTextOption(CURL* handle, CURLoption option, const char* text) noexcept {
  std::optional<std::string> copy;
  if (recording != nullptr && text != nullptr) {
    try {
      copy = text;
    } catch (...) {
    }
  }
  Record({option, RecordedOption::Kind::Text, 0, std::move(copy), nullptr, false});
  return curl_easy_setopt(handle, option, text);
}

CURLcode SetPointerOption(CURL* handle, CURLoption option, const void* pointer) noexcept {
  Record({option, RecordedOption::Kind::Pointer, 0, std::nullopt, pointer, false});
  return curl_easy_setopt(handle, option, pointer);
}

CURLcode SetListOption(CURL* handle, CURLoption option, curl_slist* list) noexcept {
  Record({option, RecordedOption::Kind::List, 0, std::nullopt, list, false});
  return curl_easy_setopt(handle, option, list);
}

CURLcode SetCallbackOption(CURL* handle, CURLoption option, curl_write_callback callback) noexcept {
  Record({option, RecordedOption::Kind::Callback, 0, std::nullopt, nullptr, callback != nullptr});
  return curl_easy_setopt(handle, option, callback);
}

CURLcode SetCallbackOption(CURL* handle, CURLoption option,
                           curl_xferinfo_callback callback) noexcept {
  Record({option, RecordedOption::Kind::Callback, 0, std::nullopt, nullptr, callback != nullptr});
  return curl_easy_setopt(handle, option, callback);
}

CURLcode SetCallbackOption(CURL* handle, CURLoption option,
                           curl_prereq_callback callback) noexcept {
  Record({option, RecordedOption::Kind::Callback, 0, std::nullopt, nullptr, callback != nullptr});
  return curl_easy_setopt(handle, option, callback);
}

ScopedOptionRecordingForTesting::ScopedOptionRecordingForTesting(
    std::vector<RecordedOption>& log) noexcept
    : previous_(std::exchange(recording, &log)) {}

ScopedOptionRecordingForTesting::~ScopedOptionRecordingForTesting() {
  recording = previous_;
}

}  // namespace hftp::detail
