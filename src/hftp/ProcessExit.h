#pragma once
// Lets the module that holds the engine tell it that the whole process is exiting.
//
// The engine initialises libcurl's global state when the module loads and cleans it up when the
// module unloads. On Windows that unload runs inside the loader lock; when it is part of process
// exit (DllMain's DLL_PROCESS_DETACH with a non-null reserved argument) the other threads are
// already gone and cleaning up libcurl there can hang or crash, so the state is left to the
// operating system instead:
//
//   case DLL_PROCESS_DETACH:
//     if (reserved != nullptr) hftp::LeaveGlobalStateToProcessExit();
//     break;
//
// Call it before the module's static objects are destroyed (DllMain runs before them in mingw's
// DLL startup code). Thread-safe; a FreeLibrary without this call cleans up as usual.

namespace hftp {

void LeaveGlobalStateToProcessExit() noexcept;

}  // namespace hftp
