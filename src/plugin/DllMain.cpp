// The library's entry point. Loading only records the module instance; everything else is started
// by the exports.
#include "plugin/ModuleState.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    plugin::ModuleState::Instance().SetResourceInstance(instance);
    // No thread attach/detach notifications: nothing here needs them.
    ::DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
