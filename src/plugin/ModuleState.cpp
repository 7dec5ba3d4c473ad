#include "plugin/ModuleState.h"

#include "ui/ModuleContext.h"

namespace plugin {

ModuleState& ModuleState::Instance() noexcept {
  static ModuleState state;
  return state;
}

}  // namespace plugin

// The user interface's view of the module state (ui/ModuleContext.h). Kept in this file so that any
// program that links the exports also gets these definitions.
namespace ui::module {

HINSTANCE ResourceInstance() noexcept {
  return plugin::ModuleState::Instance().ResourceInstance();
}

HINSTANCE ExchangeResourceInstance(HINSTANCE instance) noexcept {
  return plugin::ModuleState::Instance().ExchangeResourceInstance(instance);
}

HMODULE SkinModule() noexcept {
  return plugin::ModuleState::Instance().SkinModule();
}

}  // namespace ui::module
