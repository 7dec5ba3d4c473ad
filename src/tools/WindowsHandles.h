#pragma once
// Owners of the Windows handles and platform-allocated memory the library holds (see
// UniqueHandle.h for what every owner does).
//
//   Tools::UniqueKernelHandle file{::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
//   0)}; if (!file) return false;
//   ::WriteFile(file.Get(), data, size, &written, nullptr);
//
//   Tools::UniqueToken token;
//   if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Put())) return;
//
//   Tools::UniqueLocalMemory<wchar_t*> text;
//   if (::ConvertSidToStringSidW(sid, text.Put())) Show(text.Get());
//
// Thread-safety: one owner must not be used by two threads at once.

#include "tools/UniqueHandle.h"

#include <windows.h>
// windows.h first: wtsapi32.h relies on its types.
#include <wtsapi32.h>

namespace Tools {

// A kernel handle (file, event, thread, process, token...), closed with CloseHandle. Both 0 and
// INVALID_HANDLE_VALUE (-1) mean "no handle": the platform answers either on failure depending on
// the function (CreateFileW INVALID_HANDLE_VALUE, OpenProcessToken 0), so an owner can take the
// result of any of them unchecked, and neither is ever passed to CloseHandle (-1 is also the
// current-process pseudo-handle).
using UniqueKernelHandle = UniqueHandle<HandleTraits<HANDLE, &::CloseHandle, 0, -1>>;

// An access token: a kernel handle by another name, for the reader.
using UniqueToken = UniqueKernelHandle;

// Memory the platform allocated with LocalAlloc for the caller (ConvertSidToStringSidW...).
template <typename Pointer>
using UniqueLocalMemory = UniqueHandle<HandleTraits<Pointer, &::LocalFree>>;

// Memory from the Remote Desktop Services API (WTSQuerySessionInformationW...).
template <typename Pointer>
using UniqueWtsMemory = UniqueHandle<HandleTraits<Pointer, &::WTSFreeMemory>>;

}  // namespace Tools
