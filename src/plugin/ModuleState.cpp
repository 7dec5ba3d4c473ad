#include "plugin/ModuleState.h"

namespace plugin {

ModuleState& ModuleState::Instance() noexcept {
  static ModuleState state;
  return state;
}

}  // namespace plugin
