#include "download/Job.h"

#include "download/ArrivedFileCheck.h"
#include "download/Connectivity.h"
#include "download/DeferredRelease.h"
#include "download/LimitWatch.h"
#include "download/ProxyRoute.h"
#include "download/RetryPolicy.h"
#include "download/TargetFile.h"
#include "download/TransferSink.h"
#include "hftp/EngineTeardown.h"
#include "hftp/SharedWorkerHold.h"
#include "hftp/SystemProxy.h"
#include "hftp/TrustedRootsReady.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>

namespace download {
namespace {

// One transfer into the target, as far as it got.
struct Attempt {
  DownloadOutcome outcome;
  bool touched = false;           // the target was opened for writing
  bool rangeUnusable = false;     // a resumed request got a range that does not continue the file
  std::int64_t resourceSize = 0;  // when touched: of the resource whose bytes the file holds
  std::string validator;          // when touched: of that resource's version
};

bool IsOnline(const JobEnvironment& environment) {
  return environment.isOnline ? environment.isOnline() : MachineIsOnline();
}

// What a machine without a network ends in at once: no connection to the server or the proxy.
bool CouldNotConnect(const DownloadOutcome& outcome) noexcept {
  return outcome.result == DownloadResult::CannotConnect ||
         outcome.result == DownloadResult::ProxyUnreachable;
}

std::chrono::milliseconds Pause(const JobEnvironment& environment, int retry) {
  return environment.pause ? environment.pause(retry) : RetryDelay(retry);
}

using Clock = LimitWatch::Clock;

// A verdict comes from the check's own thread, which tells no one: a completed transfer whose
// verdict is still to come asks this often.
constexpr std::chrono::milliseconds kVerdictPoll{25};
// The roots' gathering, likewise.
constexpr std::chrono::milliseconds kRootsPoll{20};

// What the revocation checks of the servers that sent a completed transfer's body say
// (hftp/RevocationCheck.h): Revoked when one does, Pending while one has yet to answer, else Good.
hftp::Revocation RevocationStanding(const TransferSink& sink) {
  const Clock::time_point now = Clock::now();
  hftp::Revocation standing = hftp::Revocation::Good;
  for (const auto& check : sink.RevocationChecks()) {
    const hftp::Revocation verdict = check->Verdict(now);
    if (verdict == hftp::Revocation::Revoked) return verdict;
    if (verdict == hftp::Revocation::Pending) standing = verdict;
  }
  return standing;
}

// One transfer of `url` into `path` with `options`. Whatever is still running when it returns (a
// transfer abandoned for a lost network, a cancel or a limit that libcurl could not keep
// (download/LimitWatch.h)) is abandoned: the sink
// takes nothing more, and the service's release, which aborts it, runs in the background.
Attempt Transfer(const std::wstring& url, const std::wstring& path,
                 const hftp::RequestOptions& options, TargetOptions target,
                 hftp::ServiceFactory& factory, ProgressView* view, const CancelSignal* cancel,
                 const JobEnvironment& environment) {
  Attempt attempt;
  attempt.outcome = DownloadOutcome::Of(DownloadResult::Failed);
  const auto wakeup = std::make_shared<Wakeup>();
  const auto sink = std::make_shared<TransferSink>(path, view, wakeup, target);
  std::optional<CancelSignal::Listening> listening;
  if (cancel != nullptr) listening.emplace(*cancel, *wakeup);
  const auto cancelled = [&] { return cancel != nullptr && cancel->IsRaised(); };
  const LimitWatch limits(options, Clock::now());
  // The first https transfer of a process needs the machine's roots gathered, which can take
  // seconds on a slow machine: waited for here, where a cancel and the whole-transfer limit are
  // heard, rather than inside the service factory (hftp/TrustedRootsReady.h).
  while (!hftp::TrustedRootsReadyFor(url)) {
    const std::optional<DownloadResult> over = limits.Overdue({Clock::now()});
    if (cancelled() || over) {
      attempt.outcome = DownloadOutcome::Of(over.value_or(DownloadResult::Cancelled));
      return attempt;
    }
    wakeup->WaitFor(kRootsPoll, cancelled);
  }
  std::shared_ptr<hftp::IService> service = factory.CreatePooledService(url, sink, options);
  if (!service) return attempt;
  // A completed body is the server's only once the verdicts on its certificates are in: until the
  // checks answer or their deadline passes.
  const auto settled = [&] {
    return sink->Failed() ||
           (sink->Completed() && RevocationStanding(*sink) != hftp::Revocation::Pending);
  };
  const auto ended = [&] { return settled() || cancelled(); };
  bool online = true;
  std::optional<DownloadResult> overdue;
  // The network is asked every kConnectivityCheckInterval, the first time one interval after the
  // start, and when the transfer could not connect (below): not before the transfer has had its
  // chance, since asking costs the first download of a process the loading of the system's
  // network libraries, and any download tens of milliseconds under wine. The limits are checked
  // as often as the watch wants; an end or a cancel ends a wait at once.
  Clock::time_point networkCheck = Clock::now() + kConnectivityCheckInterval;
  while (!ended()) {
    if (Clock::now() >= networkCheck) {
      if (!(online = IsOnline(environment))) break;
      networkCheck = Clock::now() + kConnectivityCheckInterval;
    }
    overdue = limits.Overdue({Clock::now(), sink->Connected(), hftp::SharedWorkerHeldFor()});
    if (overdue) break;
    const auto untilNetworkCheck =
        std::chrono::ceil<std::chrono::milliseconds>(networkCheck - Clock::now());
    std::chrono::milliseconds wait =
        limits.NextCheck(Clock::now(), std::max(untilNetworkCheck, {}));
    const bool completed = sink->Completed();
    if (completed) wait = std::min(wait, kVerdictPoll);
    // A completion ends the wait too: from then on the verdicts are asked for every kVerdictPoll.
    wakeup->WaitFor(wait, [&] { return ended() || sink->Completed() != completed; });
  }
  // Decided before the service goes: releasing an unfinished transfer aborts it.
  if (settled()) {
    attempt.outcome = sink->Outcome();
    if (sink->Completed() && RevocationStanding(*sink) == hftp::Revocation::Revoked) {
      // A whole file from a server that must not be trusted: nothing of it stays, nothing of it
      // can be continued.
      attempt.outcome = DownloadOutcome::Of(DownloadResult::CertificateNotTrusted,
                                            hftp::kRevokedCertificateWords);
      DeleteFileAt(path);
    }
    service.reset();
  } else {
    if (!online) {
      attempt.outcome = DownloadOutcome::Of(DownloadResult::NoNetwork);
    } else if (overdue) {
      attempt.outcome = DownloadOutcome::Of(*overdue);
    } else {
      attempt.outcome = DownloadOutcome::Of(DownloadResult::Cancelled);
    }
    // libcurl may be holding the engine's worker (a TLS handshake fetching a certificate):
    // the job answers now, and the transfer is released once the worker lets go.
    sink->Abandon();
    ReleaseInBackground(std::move(service));
    // A completed file whose verdict was still to come is no download, and neither is what an
    // abandoned transfer wrote, unless the caller keeps it for the next attempt.
    if (!target.keepPartial && sink->Touched()) DeleteFileAt(path);
  }
  // Offline, no connection could be made: the lost network is the answer that says why.
  if (CouldNotConnect(attempt.outcome) && !IsOnline(environment)) {
    attempt.outcome = DownloadOutcome::Of(DownloadResult::NoNetwork);
  }
  attempt.touched = sink->Touched();
  attempt.resourceSize = sink->ResourceSize();
  attempt.validator = sink->FileValidator();
  attempt.rangeUnusable = sink->Failed() && sink->RangeUnusable();
  return attempt;
}

// Transfer along the proxy route: the next entry when the proxy of one cannot be connected to
// (which leaves the target untouched). Without a route of its own, a proxy that cannot be
// reached is the environment's, and the result says only that no connection was made.
Attempt RoutedTransfer(const DownloadRequest& request, hftp::RequestOptions options,
                       TargetOptions target, hftp::ServiceFactory& factory, ProgressView* view,
                       const CancelSignal* cancel, const JobEnvironment& environment) {
  const std::vector<hftp::ProxyInfo> route = ProxyRouteFor(
      options.proxy, [&request] { return hftp::SystemProxiesFor(request.url); },
      request.proxyCredentials);
  if (route.empty()) {
    Attempt attempt =
        Transfer(request.url, request.path, options, target, factory, view, cancel, environment);
    if (attempt.outcome.result == DownloadResult::ProxyUnreachable) {
      attempt.outcome.result = DownloadResult::CannotConnect;
    }
    return attempt;
  }
  Attempt attempt;
  for (const hftp::ProxyInfo& entry : route) {
    options.proxy = entry;
    if (view != nullptr) view->ShowRoute(RouteText(entry));
    attempt =
        Transfer(request.url, request.path, options, target, factory, view, cancel, environment);
    if (attempt.outcome.result != DownloadResult::ProxyUnreachable) return attempt;
  }
  attempt.outcome = NamingTheProxy(attempt.outcome, route.back());
  return attempt;
}

Attempt GuardedTransfer(const std::wstring& url, const std::wstring& path,
                        const hftp::RequestOptions& options, TargetOptions target,
                        hftp::ServiceFactory& factory, ProgressView* view,
                        const CancelSignal* cancel, const JobEnvironment& environment) noexcept {
  try {
    return Transfer(url, path, options, target, factory, view, cancel, environment);
  } catch (...) {
    Attempt attempt;  // the service could not be built, or no memory was left
    attempt.outcome.result = DownloadResult::Failed;
    return attempt;
  }
}

DownloadOutcome Job(const DownloadRequest& request, hftp::ServiceFactory& factory,
                    ProgressView* view, const CancelSignal& cancel,
                    const JobEnvironment& environment) {
  hftp::RequestOptions options = request.options;
  options.resumeFrom = 0;
  const int retries = std::max(request.retries, 0);
  int retry = 0;  // the retries used so far
  // A server that cannot continue the file may still serve the whole: the first start-over after
  // such an answer is no retry. Once per job, so that a server that always answers so cannot
  // keep the job going.
  bool freeStartOverLeft = true;
  std::int64_t resourceSize = 0;  // of the resource whose bytes the file holds
  std::string validator;          // of that resource's version
  bool touched = false;
  std::chrono::milliseconds pause{0};
  DownloadOutcome outcome = DownloadOutcome::Of(DownloadResult::Failed);
  for (bool first = true;; first = false) {
    if (!first && cancel.WaitFor(pause)) {
      outcome = DownloadOutcome::Of(DownloadResult::Cancelled);
      break;
    }
    TargetOptions target;
    target.resumeFrom = static_cast<std::uint64_t>(options.resumeFrom);
    target.resourceSize = resourceSize;
    target.keepPartial = true;  // for the next attempt to resume; deleted below if none succeeds
    Attempt attempt;
    try {
      attempt = RoutedTransfer(request, options, target, factory, view, &cancel, environment);
    } catch (...) {
      attempt.outcome.result = DownloadResult::Failed;  // no memory was left
    }
    touched = touched || attempt.touched;
    if (attempt.touched) {
      resourceSize = attempt.resourceSize;
      validator = attempt.validator;
    }
    outcome = attempt.outcome;
    if (outcome.result == DownloadResult::Completed) {
      outcome = CheckArrivedFile(request.path, ArrivalChecks{request.sha256, request.signers});
      if (outcome.result == DownloadResult::Completed) break;
      // Refused: gone at once, so that a retry (after a signature that does not fit) starts over.
      DeleteFileAt(request.path);
    }
    if (cancel.IsRaised()) break;
    // A 416 to the range, or a range of a resource that has changed since the file was begun.
    const bool startOver = options.resumeFrom > 0 &&
                           (attempt.rangeUnusable || (outcome.result == DownloadResult::HttpError &&
                                                      outcome.httpStatus == 416));
    if (startOver && freeStartOverLeft) {
      freeStartOverLeft = false;
      pause = std::chrono::milliseconds(0);
    } else if ((startOver || IsRetryable(outcome)) && retry < retries) {
      pause = Pause(environment, ++retry);
    } else {
      break;
    }
    // Only the start of a resource of a known size and version can be continued: the server
    // answers If-Range with the whole resource once it has changed, and the size tells a changed
    // resource from the same one where a server ignores If-Range. Two versions of one size
    // would otherwise splice into an "OK" file.
    const bool resumable = !startOver && touched && resourceSize > 0 && !validator.empty();
    options.resumeFrom = resumable ? static_cast<std::int64_t>(FileSizeAt(request.path)) : 0;
    options.ifRange = resumable ? validator : std::string();
  }
  if (outcome.result != DownloadResult::Completed && touched) DeleteFileAt(request.path);
  return outcome;
}

}  // namespace

DownloadOutcome RunJob(const DownloadRequest& request, hftp::ServiceFactory& factory,
                       ProgressView* view, const CancelSignal& cancel,
                       const JobEnvironment& environment) noexcept {
  if (request.url.empty() || request.path.empty()) {
    return DownloadOutcome::Of(DownloadResult::Failed);
  }
  try {
    return Job(request, factory, view, cancel, environment);
  } catch (...) {
    return DownloadOutcome::Of(DownloadResult::Failed);  // out of memory
  }
}

DownloadOutcome RunAttempt(const std::wstring& url, const std::wstring& path,
                           const hftp::RequestOptions& options, hftp::ServiceFactory& factory,
                           ProgressView* view, const JobEnvironment& environment) noexcept {
  if (url.empty() || path.empty()) return DownloadOutcome::Of(DownloadResult::Failed);
  return GuardedTransfer(url, path, options, TargetOptions(), factory, view, nullptr, environment)
      .outcome;
}

}  // namespace download
