#pragma once
// Conversion between wide text (UTF-16 on Windows, UTF-32 in the portable build) and narrow text in
// a code page, through the platform's code-page functions.
//
// The flag-returning conversions never throw: they return false and leave `out` exactly as it was.
// Like the platform functions they are built on, they stop at the first NUL of the input.
// ConvertToUtf8 / ConvertToUtf16 return the result and throw StringTools::Error on failure.
//
// Thread-safety: no state; every function may run on any thread at the same time.

#include "tools/BaseException.h"

#include <string>

namespace Tools::StringTools {

class Error : public BaseException {};

// Code page numbers as the platform names them.
inline constexpr unsigned int kCodePageAnsi = 0;      // CP_ACP
inline constexpr unsigned int kCodePageUtf8 = 65001;  // CP_UTF8

bool ConvertToCodePage(const std::wstring& text, std::string& out, unsigned int codePage);
bool ConvertFromCodePage(const std::string& text, std::wstring& out, unsigned int codePage);

bool ConvertToUtf8(const std::wstring& text, std::string& out);
bool ConvertFromUtf8(const std::string& text, std::wstring& out);
bool ConvertToAnsi(const std::wstring& text, std::string& out);
bool ConvertFromAnsi(const std::string& text, std::wstring& out);

std::string ConvertToUtf8(const std::wstring& text);
std::wstring ConvertToUtf16(const std::string& text);

}  // namespace Tools::StringTools
