#pragma once
// A download job from start to end: a pooled service of the engine fetches the URL into the target
// file through a TransferSink, the caller's thread waits for the outcome (asking whether the
// machine is online every two seconds of a transfer, and when a transfer could not connect: an
// offline machine answers NoNetwork), and attempts follow one another as the request says.
//
//   download::EngineSession engine;                       // holds the engine's threads
//   download::DownloadRequest request{L"http://host/file", L"C:\\file"};
//   request.retries = 3;
//   request.sha256 = "9f86d0...";
//   download::DownloadOutcome outcome = download::RunJob(request, factory, &view, cancel);
//
//   // HTTPDownload: one attempt, under the limits the caller sets in `options`
//   download::DownloadOutcome once = download::RunAttempt(url, path, options, factory, &view);
//
// RunJob makes up to 1 + retries attempts, RetryDelay apart, for as long as the outcome
// IsRetryable. An attempt after one that wrote bytes of a resource of a known size and version (a
// strong ETag or a Last-Modified date) asks for the rest only (RequestOptions::resumeFrom, with
// that version as If-Range) and appends it when the server continues the file with a range of a
// resource of that size (BodyPlacement); after any other answer the file starts over.
// A 416 to such a request, or a range that does not continue the file, starts it over; the first
// time at once and without using up a retry. A completed file is checked against the request's
// SHA-256, then its signer (download/ArrivedFileCheck.h); a file refused there is deleted, and only
// a signature that does not fit it is retried, from the start. Raising `cancel` ends a transfer or
// a pause between attempts at once with DownloadResult::Cancelled, and a whole-transfer limit
// (options.totalTimeout) answers TimedOut within a second of its value, even while libcurl's worker
// is held: the job stops waiting and the transfer is released in the background
// (download/DeferredRelease.h). A transfer from an HTTPS server completes only once the verdict
// on the server's certificate is in (hftp/RevocationCheck.h: the check's answer, or Unknown at its
// deadline, a few seconds after the connection); a cancel or a limit ends that wait too, and a
// Revoked verdict answers CertificateNotTrusted. Whatever the outcome other than
// Completed, nothing that the job wrote is left at the path.
//
// RunAttempt answers Completed exactly when the transfer completed and the file is at `path`. An
// empty url or path, a refused or failed transfer, a lost network connection and a factory that
// throws all answer a failure, and leave no file.
//
// RunJob goes out through options.proxy when it names one, else through the system's proxies for
// the URL (download/ProxyRoute.h), each attempt trying them in order until one can be connected
// to; RunAttempt keeps the engine's default proxy (libcurl's environment variables).
//
// Neither ends the engine: whoever runs jobs holds it (download/EngineSession.h), so that jobs
// may share it.
//
// Thread-safety: both block their caller, which must not be a thread the view needs in order to
// stay responsive. Jobs may run on several threads at once; an EngineSession must end only after
// every job that uses the engine has returned.

#include "download/CancelSignal.h"
#include "download/EngineSession.h"
#include "download/Outcome.h"
#include "download/ProgressView.h"
#include "hftp/RequestOptions.h"
#include "hftp/ServiceFactory.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace download {

// How long the wait trusts the network without asking (again).
inline constexpr std::chrono::milliseconds kConnectivityCheckInterval{2000};

struct DownloadRequest {
  std::wstring url;
  std::wstring path;
  hftp::RequestOptions options;       // resumeFrom is the job's own
  int retries = 0;                    // further attempts after a failed one
  std::string sha256;                 // 64 hex digits the file must have; empty: no check
  std::vector<std::wstring> signers;  // its Authenticode signer, one of these; empty: no check
  std::wstring proxyCredentials;      // "user:password" for every proxy of the route; empty: none
};

// What a job asks of the machine beyond the engine: the defaults are the machine's own; tests
// script them.
struct JobEnvironment {
  std::function<bool()> isOnline;                             // default: MachineIsOnline
  std::function<std::chrono::milliseconds(int retry)> pause;  // default: RetryDelay
};

DownloadOutcome RunJob(const DownloadRequest& request, hftp::ServiceFactory& factory,
                       ProgressView* view, const CancelSignal& cancel,
                       const JobEnvironment& environment = {}) noexcept;

DownloadOutcome RunAttempt(const std::wstring& url, const std::wstring& path,
                           const hftp::RequestOptions& options, hftp::ServiceFactory& factory,
                           ProgressView* view, const JobEnvironment& environment = {}) noexcept;

}  // namespace download
