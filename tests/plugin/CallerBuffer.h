#pragma once
// A caller-owned output buffer as an installer passes it (1,024 characters, its string size),
// pre-filled with a sentinel and followed by a guard zone, so that a test can tell "left
// untouched" from "empty string written" and see any write past the result or the buffer.
//
// Not thread-safe; one per call under test.

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace msk::test {

class CallerBuffer {
 public:
  static constexpr wchar_t kSentinel = L'#';
  static constexpr std::size_t kSize = 1024;
  static constexpr std::size_t kGuard = 64;

  wchar_t* Out() noexcept { return data_.data(); }
  // The text up to the first NUL (all of it when none was written).
  std::wstring Text() const {
    return std::wstring(data_.begin(), std::find(data_.begin(), data_.end(), L'\0'));
  }

  bool Untouched() const { return data_ == std::vector<wchar_t>(kSize + kGuard, kSentinel); }
  // Exactly the result and its NUL were written: everything after them is the caller's.
  bool HoldsOnly(const std::wstring& result) const {
    if (result.size() >= kSize || Text() != result) return false;
    for (std::size_t i = result.size() + 1; i < data_.size(); ++i) {
      if (data_[i] != kSentinel) return false;
    }
    return true;
  }

 private:
  std::vector<wchar_t> data_ = std::vector<wchar_t>(kSize + kGuard, kSentinel);
};

}  // namespace msk::test
