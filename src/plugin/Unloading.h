#pragma once
// What the library does when NSIS is about to unload it (NSPIM_UNLOAD): nothing of ours may stay
// in the installer's windows, and no download of ours may keep running.
//
//   plugin::PluginCall call(parent, stringSize, variables, stackTop, extra);
//   call.OnUnload(&plugin::AtUnload);   // every plug-in command registers the same callback
//
// Thread-safety: NSIS calls it on its user-interface thread, after every page and section.

#include <windows.h>

#include <nsis/pluginapi.h>

namespace plugin {

// Releases the window captured by CaptureDialog and the installer's skin pictures, and cancels
// every background download, waiting for them at most about a second.
UINT_PTR AtUnload(NSPIM message);

}  // namespace plugin
