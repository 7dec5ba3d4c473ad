#pragma once
// Status codes carried by every notification of the download engine (IDownloadStatus::GetStatus).
//
// A notification with any status other than StatusData is the last one an observer receives from
// a service, except that a transfer ended with StatusAborted by the library is followed by a
// second StatusAborted when the service is destroyed. StatusRefused never reaches an observer: it
// marks a transfer that the service's own handlers ended.
//
// The values are shared with the plug-in's observer and must not change.

#include <cstdint>

namespace hftp {

enum Status : std::int32_t {
  StatusData = 0,             // the chunk carries received body bytes
  StatusSizeKnown = 1,        // headers-only request: the total size is known
  StatusCompleted = 2,        // the transfer finished successfully
  StatusAborted = 3,          // destroyed before the transfer finished, or aborted by a callback
  StatusRefused = 4,          // ended by the service's own handlers; never delivered
  StatusConnectionError = 5,  // connecting, timing out, reading, or an HTTP error of the library
  StatusProxyError = 6,       // the proxy name could not be resolved
  StatusAccessDenied = 7,     // access or login denied, certificate problem
  StatusAddressError = 8,     // unsupported protocol, bad address, unknown host, bad request setup
  StatusTransferError = 9,  // partial transfer, range not delivered, too many redirects, send/recv
  StatusError = 10,         // any other failure, and HTTP status 400 and above except 404
  StatusNotFound = 11,      // HTTP status 404
};

}  // namespace hftp
