// The library's entry point. Loading only records the module instance and hands the module state
// to the user interface as its context; everything else, libcurl's global state included, is
// started by the exports, outside the loader lock.
#include "plugin/ModuleState.h"
#include "ui/ModuleContext.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  switch (reason) {
    case DLL_PROCESS_ATTACH: {
      plugin::ModuleState& state = plugin::ModuleState::Instance();
      state.SetResourceInstance(instance);
      ui::module::Provide(&state);
      // No thread attach/detach notifications: nothing here needs them.
      ::DisableThreadLibraryCalls(instance);
      break;
    }
    case DLL_PROCESS_DETACH:
      // Nothing: libcurl's global state is never touched under the loader lock; it is released
      // at NSIS's unload notice (PluginCommands.cpp) or left to the process's end.
      break;
    default:
      break;
  }
  return TRUE;
}
