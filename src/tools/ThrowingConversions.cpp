// The throwing conversions of StringTools.h. They live apart from the flag-returning ones because
// attaching boost::error_info brings boost's diagnostic formatting, and with it the whole iostream
// and locale machinery of the C++ library: a program that never calls them (the plug-in DLL) does
// not link this file and so carries none of it.
#include "tools/StringTools.h"

#include "tools/detail/CodePageApi.h"

#include <boost/throw_exception.hpp>

#include <cstdint>

namespace Tools::StringTools {
namespace {

[[noreturn]] void ThrowConversionError(const char* description) {
  const std::uint32_t code = detail::ActiveCodePageApi().lastError();
  BOOST_THROW_EXCEPTION(Error() << ErrorInfo::ErrorCodeTag(code)
                                << ErrorInfo::ErrorCodeDescription(description));
}

}  // namespace

std::string ConvertToUtf8(const std::wstring& text) {
  std::string result;
  if (text.empty()) return result;
  if (!ConvertToUtf8(text, result)) {
    ThrowConversionError("Error converting from tstring to std::string (utf16->utf8)");
  }
  return result;
}

std::wstring ConvertToUtf16(const std::string& text) {
  std::wstring result;
  if (text.empty()) return result;
  if (!ConvertFromUtf8(text, result)) {
    ThrowConversionError("Error converting from std::string to tstring (utf8->utf16)");
  }
  return result;
}

}  // namespace Tools::StringTools
