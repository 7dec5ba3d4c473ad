#pragma once
// One call of a plug-in command from an NSIS script (`MarlowSetupKit::Download ...`), as NSIS
// hands it over: the installer's window, its string size, its variables, its stack and its extra
// parameters. Arguments come off the stack in the order the script wrote them; the result goes
// back onto it.
//
//   extern "C" void __cdecl Command(HWND parent, int stringSize, wchar_t* variables,
//                                   stack_t** stackTop, extra_parameters* extra) {
//     plugin::PluginCall call(parent, stringSize, variables, stackTop, extra);
//     std::optional<std::wstring> file = call.Pop();
//     call.Push(file ? L"..." : L"");
//   }
//
// Push never hands NSIS more than stringSize - 1 characters (the size of every NSIS string, its
// NUL included); a longer text is cut there, and not in the middle of a surrogate pair.
//
// Thread-safety: the calling thread only, for the duration of the call (the plug-in API keeps the
// stack in globals, as NSIS expects of every plug-in; checked: tools/ThreadChecker.h).

#include "tools/ThreadChecker.h"

#include <windows.h>

#include <nsis/pluginapi.h>

#include <cstdint>
#include <optional>
#include <string>

namespace plugin {

class PluginCall {
 public:
  PluginCall(HWND parent, int stringSize, wchar_t* variables, stack_t** stackTop,
             extra_parameters* extra) noexcept;

  // The next argument; absent when the stack is empty.
  std::optional<std::wstring> Pop();
  // Puts `text`, cut to the string size, on the stack.
  void Push(const std::wstring& text) noexcept;

  HWND Parent() const noexcept { return parent_; }
  // The installer's language: $LANGUAGE, a Windows LANGID (1031 German); 0 when unreadable.
  std::uint16_t Language() const noexcept;
  // The installer runs silently (/S, SilentInstall silent, SetSilent silent).
  bool InstallerIsSilent() const noexcept;
  // Asks NSIS to call `callback` before it unloads the library (NSPIM_UNLOAD); registering again
  // does nothing. False when NSIS offers no callbacks.
  bool OnUnload(NSISPLUGINCALLBACK callback) const noexcept;

 private:
  HWND parent_;
  int stringSize_;
  const wchar_t* variables_;
  extra_parameters* extra_;
  MSK_THREAD_CHECKER(callingThread_);
};

// `text` cut to what a string of `stringSize` characters holds besides its NUL.
std::wstring FitToStringSize(const std::wstring& text, int stringSize);

}  // namespace plugin
