// The library's entry point. Loading only records the module instance and hands the module state
// to the user interface as its context; everything else is started by the exports.
#include "hftp/ProcessExit.h"
#include "plugin/ModuleState.h"
#include "ui/ModuleContext.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
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
      // A non-null `reserved` means the process is exiting rather than FreeLibrary unloading us:
      // the other threads are gone, and libcurl's global state is left to the operating system.
      if (reserved != nullptr) hftp::LeaveGlobalStateToProcessExit();
      break;
    default:
      break;
  }
  return TRUE;
}
