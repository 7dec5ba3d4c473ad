#pragma once
// Loads the built MarlowSetupKit.dll the way an installer does (LoadLibraryW by path) and looks up
// its exports by name, so tests call exactly what NSIS calls.
//
//   msk::test::PluginHost host;
//   auto unload = host.Export<void(__cdecl*)()>("Unload");
//   unload();
//
// The DLL path is the one the build produced; the environment variable MSK_PLUGIN_DLL overrides
// it for runs where the build tree is mounted elsewhere. Not thread-safe; one per test.

#include <windows.h>

#include <string>

namespace msk::test {

class PluginHost {
 public:
  PluginHost();
  ~PluginHost();
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  HMODULE Module() const noexcept { return module_; }

  // The export `name` as a function pointer of type Fn; fails the test and returns null when the
  // DLL does not export it.
  template <typename Fn>
  Fn Export(const char* name) const {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(Lookup(name)));
  }

  static std::wstring DllPath();

 private:
  FARPROC Lookup(const char* name) const;

  HMODULE module_ = nullptr;
};

}  // namespace msk::test
