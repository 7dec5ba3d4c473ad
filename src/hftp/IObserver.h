#pragma once
// The caller's sink for the notifications of one service.
//
//   class FileWriter : public hftp::IObserver {
//     bool OnDataChunk(const hftp::IDataAccessor& data, const hftp::IDownloadStatus& status)
//     override {
//       if (status.GetStatus() == hftp::StatusData) return Write(data.GetData(), data.GetSize());
//       Finish(status.GetStatus());  // any other status is final
//       return true;
//     }
//   };
//
// Threading: every call comes on the thread that runs the service's transfer (its own worker or
// the shared pool thread), never on the thread that created the service; that includes the
// abort notification at destruction. State shared with other threads needs the observer's own
// synchronisation. Calls must not throw: a throwing observer is treated as one refusing data.
//
// The reports beside the data (OnConnected, OnResponse, OnTransferEnd) came later; their defaults
// ignore them, so an observer that knows only OnDataChunk sees the transfer exactly as before.

#include <cstdint>

#include "hftp/IDataAccessor.h"
#include "hftp/IDownloadStatus.h"
#include "hftp/ObserverReports.h"

namespace hftp {

class IObserver {
 public:
  // "No limit": the default of both speed queries.
  static constexpr std::uint32_t kUnlimited = 0xFFFFFFFFu;

  virtual ~IObserver() = default;

  // Both views describe the same notification. Returning false from a StatusData notification
  // stops the transfer and the service then sends nothing more; the result of every other
  // notification is ignored.
  virtual bool OnDataChunk(const IDataAccessor& data, const IDownloadStatus& status) = 0;

  // Maximum receive speed in bytes per second, asked before every block of body bytes, so it may
  // change during a transfer.
  virtual std::uint32_t GetReceiveSpeedLimit() { return kUnlimited; }

  // The sending counterpart, kept for symmetry of the interface; the engine never asks for it.
  virtual std::uint32_t GetSendSpeedLimit() { return kUnlimited; }

  // The connection that the next request goes out on stands: connected (through the proxy, if
  // any), its TLS handshake done for https, whether it is new or reused. Once before each request
  // is sent, so again after a redirect or a proxy's sign-on. From then on the transfer waits for
  // the server's answer, no longer for a connection.
  virtual void OnConnected() {}

  // The response that carries the body, once per transfer: right before its first StatusData
  // notification, or before StatusCompleted when it brought no body. Not called for a response
  // that ends the transfer with an HTTP error or for a headers-only request. Its `revocation`
  // checks may still be Pending when the transfer completes (hftp/RevocationCheck.h).
  virtual void OnResponse(const ResponseInfo& /*response*/) {}

  // How the transfer ended, once, right before the final notification (hftp/ObserverReports.h):
  // completion, a failure libcurl reported, an error status the header handler ended the transfer
  // on, a headers-only request's size, or the release of an unfinished service. A completion
  // whose result is no success (a 204 or 304, a body the engine withheld) still comes as
  // StatusCompleted to OnDataChunk, as the engine has always reported it.
  virtual void OnTransferEnd(const TransferResult& /*result*/) {}
};

}  // namespace hftp
