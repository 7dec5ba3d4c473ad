// Fuzzes the UTF-8 conversions that the Download command's argument parser puts every option value
// through (the parser itself is Windows-only so far): any bytes to wide text and back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tools/StringTools.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::wstring wide = L"unchanged";
  if (!Tools::StringTools::ConvertFromUtf8(bytes, wide)) {
    Require(wide == L"unchanged");  // a failure leaves the output as it was
    return 0;
  }
  // Malformed sequences become U+FFFD, so one pass makes any bytes valid UTF-8: from then on the
  // conversions are exact inverses. Plain ASCII is itself from the start, up to the first NUL.
  std::string back;
  Require(Tools::StringTools::ConvertToUtf8(wide, back));
  std::wstring again;
  Require(Tools::StringTools::ConvertFromUtf8(back, again));
  Require(again == wide);
  const std::string head = bytes.substr(0, bytes.find('\0'));
  bool ascii = true;
  for (const char c : head) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) Require(back == head);
  return 0;
}
