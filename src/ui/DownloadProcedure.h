#pragma once
// A download from start to end, as the progress dialog's download thread (or a silent caller)
// runs it: a pooled service fetches the URL into the target file through a DownloadObserver, the
// caller's thread waits for the outcome (checking the network connection every two seconds), and
// the download engine is torn down again, so that no engine thread is left when it returns.
//
//   ui::ServiceFactoryMaker make = [] { return std::make_shared<MyFactory>(); };
//   bool ok = ui::RunDownload(L"http://host/file", L"C:\\file", &view, make);   // HTTPDownload
//
//   ui::DownloadRequest request{L"http://host/file", L"C:\\file"};
//   request.retries = 3;
//   request.sha256 = "9f86d0...";
//   ui::DownloadOutcome outcome = ui::RunDownloadJob(request, &view, make, cancel);
//
// RunDownload makes one attempt within kStallLimit and kConnectLimit and answers true exactly
// when the transfer completed and the file is at `path`. An empty url or path, a refused or failed
// transfer, a server that stalls or cannot be reached in time, a lost network connection and a
// factory that throws or makes nothing all answer false; on a loss of the network the transfer is
// abandoned and its partial file deleted.
//
// RunDownloadJob makes up to 1 + retries attempts as the request's options say, RetryDelay apart,
// for as long as the outcome IsRetryable. An attempt after one that wrote bytes of a resource of
// a known size asks for the rest only (RequestOptions::resumeFrom) and appends it when the server
// continues the file with a range of a resource of that size (ui::BodyPlacement); after any
// other answer the file starts over. A 416 to such a request, or a range that does not continue
// the file, starts it over; the first time at once and without using up a retry. A completed
// file is checked against the request's SHA-256. Raising `cancel` ends a transfer or a pause
// between attempts at once with DownloadResult::Cancelled. Whatever the outcome other than
// Completed, nothing that the job wrote is left at the path.
//
// RunDownloadJob goes out through options.proxy when it names one, else through the system's
// proxies for the URL (ui/ProxyRoute.h), each attempt trying them in order until one can be
// connected to; RunDownload keeps the engine's default proxy.
//
// Both tear the engine down after every attempt, also when nothing was started.
//
// Thread-safety: blocks its caller; call it from one thread at a time (the engine teardown is
// process-wide), never from the user-interface thread that shows `view` if the view needs that
// thread to stay responsive.

#include "hftp/RequestOptions.h"
#include "hftp/ServiceFactory.h"
#include "ui/CancelSignal.h"
#include "ui/DownloadOutcome.h"
#include "ui/ProgressView.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace ui {

using ServiceFactoryMaker = std::function<std::shared_ptr<hftp::ServiceFactory>()>;

// How long the wait trusts the network without asking again.
inline constexpr std::chrono::milliseconds kConnectivityCheckInterval{2000};

// The limits of HTTPDownload. The user cannot close its dialog, and the network check answers
// "connected" as long as the machine has a network, so without them a server, NAT box or captive
// portal that keeps the connection open but sends nothing (or an address that never answers)
// would hold the installer for ever. After either limit the download fails like any other, and
// the script can offer "Try Again". 30 s outlasts a busy server's pause and a slow first
// connection, and still lets the user decide within a minute.
inline constexpr std::chrono::seconds kStallLimit{30};    // no byte received for this long
inline constexpr std::chrono::seconds kConnectLimit{30};  // connecting, name lookup included

bool RunDownload(const std::wstring& url, const std::wstring& path, ProgressView* view,
                 const ServiceFactoryMaker& makeFactory) noexcept;

struct DownloadRequest {
  std::wstring url;
  std::wstring path;
  hftp::RequestOptions options;  // resumeFrom is the job's own
  int retries = 0;               // further attempts after a failed one
  std::string sha256;            // 64 hex digits the file must have; empty: no check
  std::string proxyCredentials;  // "user:password" for every proxy of the route; empty: none
};

DownloadOutcome RunDownloadJob(const DownloadRequest& request, ProgressView* view,
                               const ServiceFactoryMaker& makeFactory,
                               const CancelSignal& cancel) noexcept;

}  // namespace ui
