#pragma once
// The seam between StringTools and the platform's code-page functions.
//
// Both functions follow WideCharToMultiByte / MultiByteToWideChar called with flags 0 and a
// NUL-terminated input (length -1): with no output buffer they return the size needed, terminator
// included; otherwise they fill the buffer and return the count written; 0 means failure, and
// LastError() then tells why. On Windows they are the real functions; the portable build has a
// UTF-8 stand-in with the same contract (the ANSI code page is UTF-8 there).
//
// Tests may replace the table with ScopedCodePageApiOverrideForTesting (tools/ForTesting.h).

#include <cstdint>

namespace Tools::StringTools::detail {

struct CodePageApi {
  int (*wideToMultiByte)(unsigned int codePage, const wchar_t* text, char* out, int outSize);
  int (*multiByteToWide)(unsigned int codePage, const char* text, wchar_t* out, int outSize);
  std::uint32_t (*lastError)();
};

const CodePageApi& PlatformCodePageApi() noexcept;
// The platform's functions, unless a test replaced them.
const CodePageApi& ActiveCodePageApi() noexcept;

}  // namespace Tools::StringTools::detail
