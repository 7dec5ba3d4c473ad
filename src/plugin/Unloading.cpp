#include "plugin/Unloading.h"

#include "plugin/BackgroundDownloads.h"
#include "plugin/CapturedDialog.h"

namespace plugin {

UINT_PTR AtUnload(NSPIM message) {
  if (message == NSPIM_UNLOAD) {
    CapturedDialog::Instance().Release();
    background::ShutDown();
  }
  return 0;
}

}  // namespace plugin
