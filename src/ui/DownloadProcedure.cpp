#include "ui/DownloadProcedure.h"

#include "hftp/EngineTeardown.h"
#include "tools/NetworkCheck.h"
#include "ui/DownloadObserver.h"

namespace ui {
namespace {

// Ends when the observer has an outcome or the machine has no network any more. The network is
// asked before the first wait and after every wait that ran out; an outcome ends a wait at once.
void WaitForOutcome(const DownloadObserver& observer) noexcept {
  while (!observer.Completed() && !observer.Failed() && Tools::SystemTools::IsInternetConnected()) {
    observer.WaitForEnd(kConnectivityCheckInterval);
  }
}

bool Transfer(const std::wstring& url, const std::wstring& path, ProgressView* view,
              const ServiceFactoryMaker& makeFactory) {
  const auto observer = std::make_shared<DownloadObserver>(path, view);
  std::shared_ptr<hftp::IService> service;
  if (const std::shared_ptr<hftp::ServiceFactory> factory = makeFactory ? makeFactory() : nullptr) {
    hftp::RequestOptions limits;
    limits.stallTimeout = kStallLimit;
    limits.connectTimeout = kConnectLimit;
    service = factory->CreatePooledService(url, observer, limits);
  }
  if (!service) return false;
  WaitForOutcome(*observer);
  // Decided before the service goes: releasing an unfinished transfer aborts it, and the observer
  // then deletes the partial file.
  return observer->Completed();
}

}  // namespace

bool RunDownload(const std::wstring& url, const std::wstring& path, ProgressView* view,
                 const ServiceFactoryMaker& makeFactory) noexcept {
  bool completed = false;
  if (!url.empty() && !path.empty()) {
    try {
      completed = Transfer(url, path, view, makeFactory);
    } catch (...) {
      completed = false;  // the service could not be built; nothing is running
    }
  }
  // Every service is released by now, which the teardown requires.
  try {
    hftp::TearDownEngine();
  } catch (...) {
  }
  return completed;
}

}  // namespace ui
