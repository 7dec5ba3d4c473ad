#pragma once
// The string-out rule of every export with an `out` argument: the result is built as an owned wide
// string first and copied, with its terminating NUL, into the caller's buffer only at the end.
//
// NSIS hands us buffers of its string size (1,024 characters in the standard build) without
// telling us their size, so the copy stops after kMaxOutChars characters: a longer result would
// otherwise overrun the installer's memory. Every result the exports produce today is shorter.

#include <cstddef>
#include <string>

namespace plugin {

inline constexpr std::size_t kMaxOutChars = 1023;

// Writes min(result.size(), kMaxOutChars) characters and a NUL to `out`. A null `out` is ignored.
inline void CopyToCallerBuffer(const std::wstring& result, wchar_t* out) noexcept {
  if (out == nullptr) return;
  const std::size_t count = result.size() < kMaxOutChars ? result.size() : kMaxOutChars;
  result.copy(out, count);
  out[count] = L'\0';
}

}  // namespace plugin
