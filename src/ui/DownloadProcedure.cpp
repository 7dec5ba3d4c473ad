#include "ui/DownloadProcedure.h"

#include "hftp/EngineTeardown.h"
#include "hftp/SystemProxy.h"
#include "tools/FileDigest.h"
#include "tools/NetworkCheck.h"
#include "tools/StringTools.h"
#include "ui/DownloadObserver.h"
#include "ui/ProxyRoute.h"
#include "ui/RetryPolicy.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ui {
namespace {

// One transfer into the target, as far as it got.
struct Attempt {
  DownloadOutcome outcome;
  bool touched = false;           // the target was opened for writing
  bool rangeUnusable = false;     // a resumed request got a range that does not continue the file
  std::int64_t resourceSize = 0;  // when touched: of the resource whose bytes the file holds
};

// How the wait for one transfer ended.
enum class WaitEnd { Outcome, NetworkLost, Cancelled };

// Ends when the observer has an outcome, the machine has no network any more or `cancel` is
// raised. The network is asked before the first wait and after every wait that ran out; an
// outcome or a cancel ends a wait at once.
WaitEnd WaitForOutcome(const DownloadObserver& observer, const CancelSignal* cancel) noexcept {
  for (;;) {
    if (observer.Completed() || observer.Failed()) return WaitEnd::Outcome;
    if (cancel != nullptr && cancel->IsRaised()) return WaitEnd::Cancelled;
    if (!Tools::SystemTools::IsInternetConnected()) return WaitEnd::NetworkLost;
    observer.WaitForEnd(kConnectivityCheckInterval, cancel);
  }
}

DownloadOutcome Ended(DownloadResult result) {
  DownloadOutcome outcome;
  outcome.result = result;
  return outcome;
}

// One transfer of `url` into `path` with `options`. Whatever is still running when it returns (a
// transfer abandoned for a lost network or a cancel) is aborted by the service's release, which
// the observer hears.
Attempt TransferOnce(const std::wstring& url, const std::wstring& path,
                     const hftp::RequestOptions& options, TargetOptions target, ProgressView* view,
                     const ServiceFactoryMaker& makeFactory, const CancelSignal* cancel) {
  Attempt attempt;
  attempt.outcome = Ended(DownloadResult::Failed);
  const auto started = std::chrono::steady_clock::now();
  const auto observer = std::make_shared<DownloadObserver>(path, view, target);
  std::shared_ptr<hftp::IService> service;
  if (const std::shared_ptr<hftp::ServiceFactory> factory = makeFactory ? makeFactory() : nullptr) {
    service = factory->CreatePooledService(url, observer, options);
  }
  if (!service) return attempt;
  const WaitEnd end = WaitForOutcome(*observer, cancel);
  // Decided before the service goes: releasing an unfinished transfer aborts it.
  if (observer->Completed()) {
    attempt.outcome = Ended(DownloadResult::Completed);
  } else if (end == WaitEnd::Cancelled) {
    attempt.outcome = Ended(DownloadResult::Cancelled);
  } else if (end == WaitEnd::NetworkLost) {
    attempt.outcome = Ended(DownloadResult::NoNetwork);
  } else {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);
    attempt.outcome =
        ClassifyFailure(observer->Facts(), elapsed, TransferLimits{options.totalTimeout});
  }
  service.reset();
  attempt.touched = observer->Touched();
  attempt.resourceSize = observer->ResourceSize();
  attempt.rangeUnusable = observer->Failed() && observer->Facts().rangeUnusable;
  return attempt;
}

// TransferOnce along the proxy route: the next entry when the proxy of one cannot be connected to
// (which leaves the target untouched).
Attempt Transfer(const std::wstring& url, const std::wstring& path, hftp::RequestOptions options,
                 const std::string& proxyCredentials, TargetOptions target, ProgressView* view,
                 const ServiceFactoryMaker& makeFactory, const CancelSignal* cancel) {
  const std::vector<hftp::ProxyInfo> route = ProxyRouteFor(
      options.proxy,
      [&url] {
        std::string utf8;
        Tools::StringTools::ConvertToUtf8(url, utf8);
        return hftp::SystemProxiesFor(utf8);
      },
      proxyCredentials);
  if (route.empty()) return TransferOnce(url, path, options, target, view, makeFactory, cancel);
  Attempt attempt;
  for (const hftp::ProxyInfo& entry : route) {
    options.proxy = entry;
    if (view != nullptr) view->ShowRoute(RouteText(entry));
    attempt = TransferOnce(url, path, options, target, view, makeFactory, cancel);
    if (!IsProxyUnreachable(attempt.outcome, entry)) return attempt;
  }
  attempt.outcome = ProxyUnreachable(attempt.outcome, route.back());
  return attempt;
}

// Transfer, with the engine torn down afterwards on every path.
Attempt RunAttempt(const std::wstring& url, const std::wstring& path,
                   const hftp::RequestOptions& options, const std::string& proxyCredentials,
                   TargetOptions target, ProgressView* view, const ServiceFactoryMaker& makeFactory,
                   const CancelSignal* cancel) noexcept {
  Attempt attempt;
  try {
    attempt = Transfer(url, path, options, proxyCredentials, target, view, makeFactory, cancel);
  } catch (...) {
    attempt.outcome.result = DownloadResult::Failed;  // the service could not be built
  }
  // Every service is released by now, which the teardown requires.
  try {
    hftp::TearDownEngine();
  } catch (...) {
  }
  return attempt;
}

// One transfer without a route of its own, with the engine torn down afterwards on every path.
Attempt RunAttemptOnce(const std::wstring& url, const std::wstring& path,
                       const hftp::RequestOptions& options, ProgressView* view,
                       const ServiceFactoryMaker& makeFactory) noexcept {
  Attempt attempt;
  try {
    attempt = TransferOnce(url, path, options, TargetOptions(), view, makeFactory, nullptr);
  } catch (...) {
    attempt.outcome.result = DownloadResult::Failed;
  }
  try {
    hftp::TearDownEngine();
  } catch (...) {
  }
  return attempt;
}

std::uint64_t FileSizeAt(const std::wstring& path) noexcept {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool SameHex(const std::string& a, const std::string& b) noexcept {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

DownloadOutcome Job(const DownloadRequest& request, ProgressView* view,
                    const ServiceFactoryMaker& makeFactory, const CancelSignal& cancel) {
  hftp::RequestOptions options = request.options;
  options.resumeFrom = 0;
  const int retries = std::max(request.retries, 0);
  int retry = 0;  // the retries used so far
  // A server that cannot continue the file may still serve the whole: the first start-over after
  // such an answer is no retry. Once per job, so that a server that always answers so cannot
  // keep the job going.
  bool freeStartOverLeft = true;
  std::int64_t resourceSize = 0;  // of the resource whose bytes the file holds
  bool touched = false;
  std::chrono::milliseconds pause{0};
  DownloadOutcome outcome = Ended(DownloadResult::Failed);
  for (bool first = true;; first = false) {
    if (!first && cancel.WaitFor(pause)) {
      outcome = Ended(DownloadResult::Cancelled);
      break;
    }
    TargetOptions target;
    target.resumeFrom = static_cast<std::uint64_t>(options.resumeFrom);
    target.resourceSize = resourceSize;
    target.keepPartial = true;  // for the next attempt to resume; deleted below if none succeeds
    const Attempt attempt = RunAttempt(request.url, request.path, options, request.proxyCredentials,
                                       target, view, makeFactory, &cancel);
    touched = touched || attempt.touched;
    if (attempt.touched) resourceSize = attempt.resourceSize;
    outcome = attempt.outcome;
    if (outcome.result == DownloadResult::Completed) break;
    // A 416 to the range, or a range of a resource that has changed since the file was begun.
    const bool startOver = options.resumeFrom > 0 &&
                           (attempt.rangeUnusable || (outcome.result == DownloadResult::HttpError &&
                                                      outcome.httpStatus == 416));
    if (startOver && freeStartOverLeft) {
      freeStartOverLeft = false;
      pause = std::chrono::milliseconds(0);
    } else if ((startOver || IsRetryable(outcome)) && retry < retries) {
      pause = RetryDelay(++retry);
    } else {
      break;
    }
    // Only the start of a resource of a known size can be continued: its size tells a changed
    // resource from the same one.
    options.resumeFrom = !startOver && touched && resourceSize > 0
                             ? static_cast<std::int64_t>(FileSizeAt(request.path))
                             : 0;
  }
  if (outcome.result == DownloadResult::Completed && !request.sha256.empty()) {
    const std::optional<std::string> digest = Tools::SystemTools::Sha256OfFile(request.path);
    if (!digest || !SameHex(*digest, request.sha256)) {
      outcome = Ended(DownloadResult::ChecksumMismatch);
      touched = true;  // the file that arrived goes
    }
  }
  if (outcome.result != DownloadResult::Completed && touched) ::DeleteFileW(request.path.c_str());
  return outcome;
}

}  // namespace

bool RunDownload(const std::wstring& url, const std::wstring& path, ProgressView* view,
                 const ServiceFactoryMaker& makeFactory) noexcept {
  if (url.empty() || path.empty()) {
    try {
      hftp::TearDownEngine();
    } catch (...) {
    }
    return false;
  }
  hftp::RequestOptions limits;
  limits.stallTimeout = kStallLimit;
  limits.connectTimeout = kConnectLimit;
  // HTTPDownload keeps the engine's default proxy (libcurl's environment variables).
  return RunAttemptOnce(url, path, limits, view, makeFactory).outcome.result ==
         DownloadResult::Completed;
}

DownloadOutcome RunDownloadJob(const DownloadRequest& request, ProgressView* view,
                               const ServiceFactoryMaker& makeFactory,
                               const CancelSignal& cancel) noexcept {
  if (request.url.empty() || request.path.empty()) return Ended(DownloadResult::Failed);
  try {
    return Job(request, view, makeFactory, cancel);
  } catch (...) {
    return Ended(DownloadResult::Failed);  // out of memory
  }
}

}  // namespace ui
