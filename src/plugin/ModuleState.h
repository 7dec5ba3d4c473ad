#pragma once
// State that lives for as long as the library stays loaded. It is the user interface's module
// context (ui/ModuleContext.h), which DllMain provides at load:
//
//   plugin::ModuleState& state = plugin::ModuleState::Instance();
//   state.SetResourceInstance(instance);
//   ui::module::Provide(&state);
//
// - Resource instance: the library's own module, set by DllMain. Dialogs, strings and the window
//   bitmaps load from it. It is an atomic because the skinned progress bar swaps it for the skin
//   module for the duration of one LoadBitmapW call.
// - Skin module: what GetModuleHandleW(L"MarlowSetupKit.dll") answered at the start of the last
//   HTTPDownload / Capture* call (null when no module of that name is loaded). The progress bar's
//   bitmaps load from it, so the library must keep its file name.
//
// Thread-safety: the host calls the exports one at a time (NSIS: page callbacks on its
// user-interface thread, sections on its install thread); the fields are atomics so that any
// thread, the engine's workers included, may read them.

#include "ui/ModuleContext.h"

#include <windows.h>

#include <atomic>

namespace plugin {

inline constexpr const wchar_t* kModuleFileName = L"MarlowSetupKit.dll";

class ModuleState final : public ui::ModuleContext {
 public:
  static ModuleState& Instance() noexcept;

  HINSTANCE ResourceInstance() const noexcept override { return resourceInstance_.load(); }
  void SetResourceInstance(HINSTANCE instance) noexcept { resourceInstance_.store(instance); }
  // Puts `instance` in place and answers the previous one, as one atomic step.
  HINSTANCE ExchangeResourceInstance(HINSTANCE instance) noexcept override {
    return resourceInstance_.exchange(instance);
  }

  HMODULE SkinModule() const noexcept override { return skinModule_.load(); }
  // Overwrites the skin module handle with the module currently loaded as kModuleFileName.
  void RecordSkinModule() noexcept { skinModule_.store(::GetModuleHandleW(kModuleFileName)); }

 private:
  ModuleState() = default;

  std::atomic<HINSTANCE> resourceInstance_{nullptr};
  std::atomic<HMODULE> skinModule_{nullptr};
};

}  // namespace plugin
