#pragma once
// Tools::KernelHandle owns one kernel handle (file, token, event, thread, process...) and closes it
// with CloseHandle when it is replaced or destroyed.
//
// Both 0 and INVALID_HANDLE_VALUE mean "no handle": the platform uses either as the failure value
// depending on the function (CreateFileW answers INVALID_HANDLE_VALUE, OpenProcessToken leaves 0),
// so a holder can take the result of any of them unchecked, and neither value is ever passed to
// CloseHandle (INVALID_HANDLE_VALUE is also the current-process pseudo-handle).
//
//   Tools::KernelHandle file{::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, 0)};
//   if (!file) return false;
//   ::WriteFile(file.Get(), data, size, &written, nullptr);
//
//   Tools::KernelHandle token;
//   if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Put())) return;
//
// Thread-safety: one holder must not be used by two threads at once; see UniqueHandle.h.

#include "tools/UniqueHandle.h"

#include <windows.h>

namespace Tools {

struct KernelHandleTraits {
  using Value = HANDLE;
  static Value Empty() noexcept { return nullptr; }
  static bool IsEmpty(Value value) noexcept {
    return value == nullptr || value == INVALID_HANDLE_VALUE;
  }
  static void Close(Value value) noexcept { ::CloseHandle(value); }
};

using KernelHandle = UniqueHandle<KernelHandleTraits>;

}  // namespace Tools
