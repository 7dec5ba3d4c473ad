// The plug-in command `MarlowSetupKit::Skin folder|/PLAIN`: the installer's own pictures, or none
// of ours, for every dialog and window skin shown after it (ui/SkinPictures.h). Pushes "OK" or the
// line saying why the folder was refused; a refused folder leaves the look as it was. Registers
// for NSIS's unload, as every command does: the library, and so the chosen look, stays loaded
// until the installer ends.
#include "plugin/Exports.h"
#include "plugin/PluginCall.h"
#include "plugin/Unloading.h"
#include "ui/SkinPictures.h"

#include <cwchar>
#include <optional>
#include <string>

namespace {

std::wstring SkinResult(const std::wstring& argument) {
  if (!argument.empty() && argument.front() == L'/') {
    if (::_wcsicmp(argument.c_str(), L"/PLAIN") != 0) return L"Skin: invalid option " + argument;
    ui::UsePlainLook();
    return L"OK";
  }
  const std::wstring refused = ui::UseSkinFolder(argument);
  return refused.empty() ? L"OK" : refused;
}

}  // namespace

extern "C" {

void Skin(HWND parent, int stringSize, wchar_t* variables, stack_t** stackTop,
          extra_parameters* extra) {
  plugin::PluginCall call(parent, stringSize, variables, stackTop, extra);
  call.OnUnload(&plugin::AtUnload);
  std::wstring result;
  try {
    result = SkinResult(call.Pop().value_or(L""));
  } catch (...) {
    result = L"Skin failed";
  }
  call.Push(result);
}

}  // extern "C"
