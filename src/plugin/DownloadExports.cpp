// The download exports: HTTPDownload behind the progress dialog, and the connection-error dialog
// a script shows after a failed download. Neither lets an exception reach the host.
#include "plugin/Exports.h"
#include "plugin/ModuleState.h"
#include "plugin/PluginServiceFactory.h"
#include "ui/ErrorDialog.h"
#include "ui/ProgressDialog.h"

#include <memory>
#include <string>

namespace {

std::shared_ptr<hftp::ServiceFactory> MakeServiceFactory() {
  return CreateServiceFactory();
}

}  // namespace

extern "C" {

int HTTPDownload(const wchar_t* url, const wchar_t* path) {
  if (url == nullptr || path == nullptr) return 0;
  plugin::ModuleState::Instance().RecordSkinModule();
  try {
    const bool downloaded =
        ui::RunDownloadDialog(std::wstring(url), std::wstring(path), &MakeServiceFactory);
    return downloaded ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

int ShowErrorWindow() {
  return ui::RunErrorDialog() ? 1 : 0;
}

}  // extern "C"
