// A portable stand-in for the Windows code-page functions: UTF-8 only (the ANSI code page is UTF-8
// on the systems this build runs on), wide text is UTF-32. Invalid input is replaced by U+FFFD, as
// Windows does with flags 0, so conversions fail only for an unknown code page or a short buffer.
#include "tools/detail/CodePageApi.h"

#include <string>

namespace Tools::StringTools::detail {
namespace {

constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorInsufficientBuffer = 122;
constexpr char32_t kReplacement = 0xFFFD;

thread_local std::uint32_t lastError = 0;

bool IsSupported(unsigned int codePage) {
  return codePage == 0 || codePage == 65001;
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes one code point at `p`, advancing it; malformed or overlong sequences give U+FFFD and
// consume one byte.
char32_t DecodeUtf8(const unsigned char*& p) {
  const unsigned char lead = *p++;
  if (lead < 0x80) return lead;
  int extra = 0;
  char32_t c = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, c = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, c = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, c = lead & 0x07, minimum = 0x10000;
  } else {
    return kReplacement;
  }
  const unsigned char* q = p;
  for (int i = 0; i < extra; ++i, ++q) {
    if ((*q & 0xC0) != 0x80) return kReplacement;  // also stops at the terminating NUL
    c = (c << 6) | (*q & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return kReplacement;
  p = q;
  return c;
}

// Copies `converted` plus its terminator the way the Windows functions do: size query when
// outSize is 0, otherwise fill or fail with ERROR_INSUFFICIENT_BUFFER.
template <typename Char>
int Deliver(const std::basic_string<Char>& converted, Char* out, int outSize) {
  const auto needed = static_cast<int>(converted.size() + 1);
  if (outSize == 0) return needed;
  if (outSize < needed || out == nullptr) {
    lastError = kErrorInsufficientBuffer;
    return 0;
  }
  converted.copy(out, converted.size());
  out[converted.size()] = Char{};
  return needed;
}

int WideToMultiByte(unsigned int codePage, const wchar_t* text, char* out, int outSize) {
  if (!IsSupported(codePage) || text == nullptr || outSize < 0) {
    lastError = kErrorInvalidParameter;
    return 0;
  }
  std::string converted;
  for (const wchar_t* p = text; *p != L'\0'; ++p) AppendUtf8(static_cast<char32_t>(*p), converted);
  return Deliver(converted, out, outSize);
}

int MultiByteToWide(unsigned int codePage, const char* text, wchar_t* out, int outSize) {
  if (!IsSupported(codePage) || text == nullptr || outSize < 0) {
    lastError = kErrorInvalidParameter;
    return 0;
  }
  std::wstring converted;
  for (auto p = reinterpret_cast<const unsigned char*>(text); *p != 0;) {
    converted += static_cast<wchar_t>(DecodeUtf8(p));
  }
  return Deliver(converted, out, outSize);
}

std::uint32_t LastError() {
  return lastError;
}

constexpr CodePageApi kPortable{&WideToMultiByte, &MultiByteToWide, &LastError};

}  // namespace

const CodePageApi& PlatformCodePageApi() noexcept {
  return kPortable;
}

}  // namespace Tools::StringTools::detail
