#pragma once
// One download from start to end, as the progress dialog's download thread runs it: a pooled
// service fetches `url` into `path` through a DownloadObserver, the caller's thread waits for the
// outcome (checking the network connection every two seconds), and the download engine is torn
// down again, so that no engine thread is left when it returns.
//
//   ui::ServiceFactoryMaker make = [] { return std::make_shared<MyFactory>(); };
//   bool ok = ui::RunDownload(L"http://host/file", L"C:\\file", &view, make);
//
// True exactly when the transfer completed and the file is at `path`. An empty url or path, a
// refused or failed transfer, a server that stalls or cannot be reached in time (kStallLimit,
// kConnectLimit), a lost network connection and a factory that throws or makes nothing all answer
// false; on a loss of the network the transfer is abandoned and its partial file deleted. The
// engine is torn down on every path, also when nothing was started.
//
// Thread-safety: blocks its caller; call it from one thread at a time (the engine teardown is
// process-wide), never from the user-interface thread that shows `view` if the view needs that
// thread to stay responsive.

#include "hftp/ServiceFactory.h"
#include "ui/ProgressView.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace ui {

using ServiceFactoryMaker = std::function<std::shared_ptr<hftp::ServiceFactory>()>;

// How long the wait trusts the network without asking again.
inline constexpr std::chrono::milliseconds kConnectivityCheckInterval{2000};

// The limits of the download. The user cannot close the dialog, and the network check answers
// "connected" as long as the machine has a network, so without them a server, NAT box or captive
// portal that keeps the connection open but sends nothing (or an address that never answers)
// would hold the installer for ever. After either limit the download fails like any other, and
// the script can offer "Try Again". 30 s outlasts a busy server's pause and a slow first
// connection, and still lets the user decide within a minute.
inline constexpr std::chrono::seconds kStallLimit{30};    // no byte received for this long
inline constexpr std::chrono::seconds kConnectLimit{30};  // connecting, name lookup included

bool RunDownload(const std::wstring& url, const std::wstring& path, ProgressView* view,
                 const ServiceFactoryMaker& makeFactory) noexcept;

}  // namespace ui
