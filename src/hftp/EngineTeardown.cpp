#include "hftp/EngineTeardown.h"

#include "hftp/detail/EngineThreads.h"
#include "hftp/detail/ServicesManager.h"

namespace hftp {

void TearDownEngine() {
  // The manager first: its pool lives on the shared worker and is destroyed there.
  detail::ServicesManager::DestroyInstance();
  detail::SharedPolicy::DestroySharedWorker();
}

}  // namespace hftp
