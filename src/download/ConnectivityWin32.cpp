#include "download/Connectivity.h"

#include "tools/NetworkCheck.h"

namespace download {

bool MachineIsOnline() noexcept {
  return Tools::SystemTools::IsInternetConnected();
}

}  // namespace download
