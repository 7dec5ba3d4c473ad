// The download exports: HTTPDownload behind the progress dialog, and the connection-error dialog
// a script shows after a failed download. Neither lets an exception reach the host.
//
// HTTPDownload makes one attempt within kStallLimit and kConnectLimit and answers 1 exactly when
// the transfer completed and the file is at the path. It holds the engine for the one call: the
// engine's threads are torn down when the download has ended, also when nothing was started,
// unless background downloads still hold them (download/EngineSession.h).
#include "download/Job.h"
#include "plugin/Exports.h"
#include "plugin/ModuleState.h"
#include "plugin/PluginServiceFactory.h"
#include "ui/ErrorDialog.h"
#include "ui/ProgressDialog.h"

#include <chrono>
#include <memory>
#include <string>

namespace {

// The limits of HTTPDownload. The user cannot close its dialog, and the network check answers
// "connected" as long as the machine has a network, so without them a server, NAT box or captive
// portal that keeps the connection open but sends nothing (or an address that never answers)
// would hold the installer for ever. After either limit the download fails like any other, and
// the script can offer "Try Again". 30 s outlasts a busy server's pause and a slow first
// connection, and still lets the user decide within a minute.
constexpr std::chrono::seconds kStallLimit{30};    // no byte received for this long
constexpr std::chrono::seconds kConnectLimit{30};  // connecting, name lookup included

bool Download(const std::wstring& url, const std::wstring& path) {
  const download::EngineSession engine;  // released after the dialog's thread has ended
  hftp::RequestOptions limits;
  limits.stallTimeout = kStallLimit;
  limits.connectTimeout = kConnectLimit;
  const std::shared_ptr<ServiceFactory> factory = CreateServiceFactory();
  return ui::RunDownloadDialog(
      nullptr, ui::DownloadDialogLook(),
      [&](download::ProgressView* view, const download::CancelSignal&) {
        return download::RunAttempt(url, path, limits, *factory, view).result ==
               download::DownloadResult::Completed;
      });
}

}  // namespace

extern "C" {

int HTTPDownload(const wchar_t* url, const wchar_t* path) {
  if (url == nullptr || path == nullptr) return 0;
  plugin::ModuleState::Instance().RecordSkinModule();
  try {
    return Download(std::wstring(url), std::wstring(path)) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

int ShowErrorWindow() {
  return ui::RunErrorDialog() ? 1 : 0;
}

}  // extern "C"
