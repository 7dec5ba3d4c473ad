#include "tools/StringTools.h"

#include "tools/detail/CodePageApi.h"

#include <vector>

namespace Tools::StringTools {
namespace {

// Two calls: one for the size (terminator included), one into a zero-filled buffer. `out` is only
// replaced once the second call succeeded, so a failure leaves it exactly as it was.
template <typename From, typename To, typename Convert>
bool ConvertWith(const std::basic_string<From>& text, std::basic_string<To>& out,
                 unsigned int codePage, Convert convert) {
  const int needed = convert(codePage, text.c_str(), nullptr, 0);
  if (needed <= 0) return false;
  out.reserve(static_cast<std::size_t>(needed));
  std::vector<To> buffer(static_cast<std::size_t>(needed), To{});
  if (convert(codePage, text.c_str(), buffer.data(), needed) == 0) return false;
  out.assign(buffer.data());  // up to the first NUL
  return true;
}

}  // namespace

bool ConvertToCodePage(const std::wstring& text, std::string& out, unsigned int codePage) {
  return ConvertWith(text, out, codePage, detail::ActiveCodePageApi().wideToMultiByte);
}

bool ConvertFromCodePage(const std::string& text, std::wstring& out, unsigned int codePage) {
  return ConvertWith(text, out, codePage, detail::ActiveCodePageApi().multiByteToWide);
}

bool ConvertToUtf8(const std::wstring& text, std::string& out) {
  return ConvertToCodePage(text, out, kCodePageUtf8);
}
bool ConvertFromUtf8(const std::string& text, std::wstring& out) {
  return ConvertFromCodePage(text, out, kCodePageUtf8);
}
bool ConvertToAnsi(const std::wstring& text, std::string& out) {
  return ConvertToCodePage(text, out, kCodePageAnsi);
}
bool ConvertFromAnsi(const std::string& text, std::wstring& out) {
  return ConvertFromCodePage(text, out, kCodePageAnsi);
}

}  // namespace Tools::StringTools
