#pragma once
// The skinning exports of the built DLL, looked up by name as an installer does.
//
//   msk::test::SkinExports dll;
//   dll.captureDialog(window);
//
// One per test; not thread-safe.

#include "support/PluginHost.h"

#include <windows.h>

namespace msk::test {

struct SkinExports {
  using CaptureInstallFn = int(__cdecl*)(HWND, HWND, HWND);
  using CaptureFn = int(__cdecl*)(HWND);
  using UnloadFn = void(__cdecl*)();

  PluginHost host;
  CaptureInstallFn captureInstallDialog = host.Export<CaptureInstallFn>("CaptureInstallDialog");
  CaptureFn captureUninstallDialog = host.Export<CaptureFn>("CaptureUninstallDialog");
  CaptureFn captureDialog = host.Export<CaptureFn>("CaptureDialog");
  UnloadFn unload = host.Export<UnloadFn>("Unload");
};

}  // namespace msk::test
