// The code-page functions of Windows, used unchanged.
#include "tools/detail/CodePageApi.h"

#include <windows.h>

namespace Tools::StringTools::detail {
namespace {

int WideToMultiByte(unsigned int codePage, const wchar_t* text, char* out, int outSize) {
  return ::WideCharToMultiByte(codePage, 0, text, -1, out, outSize, nullptr, nullptr);
}

int MultiByteToWide(unsigned int codePage, const char* text, wchar_t* out, int outSize) {
  return ::MultiByteToWideChar(codePage, 0, text, -1, out, outSize);
}

std::uint32_t LastError() {
  return ::GetLastError();
}

constexpr CodePageApi kWin32{&WideToMultiByte, &MultiByteToWide, &LastError};

}  // namespace

const CodePageApi& PlatformCodePageApi() noexcept {
  return kWin32;
}

}  // namespace Tools::StringTools::detail
