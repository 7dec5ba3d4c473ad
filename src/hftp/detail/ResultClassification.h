#pragma once
// How a transfer ended, decided in one place: the final status (hftp::Status) that a libcurl
// result code gives a transfer, and the typed result (hftp::TransferResult) that the observer is
// told, from the result code, the final response and the limits the transfer ran under.
//
//   ClassifyResult(CURLE_OK) == StatusCompleted
//   ClassifyResult(CURLE_COULDNT_CONNECT) == StatusConnectionError
//
//   TransferFacts facts;
//   facts.resultCode = CURLE_OPERATION_TIMEDOUT;
//   facts.connected = true;
//   ClassifyTransfer(facts).kind == TransferResult::Kind::Stalled
//
// Every code maps to a final status: codes this engine does not know (newer libcurl versions add
// some) count as StatusError, so an observer never waits for an end that does not come.
// Pure functions: thread-safe.

#include <chrono>
#include <string>

#include "hftp/ObserverReports.h"
#include "hftp/Status.h"

namespace hftp::detail {

Status ClassifyResult(int resultCode) noexcept;

// What a service knows about its transfer when it ends.
struct TransferFacts {
  int resultCode = 0;    // libcurl's (CURLE_OK when it reported success)
  int responseCode = 0;  // the status code of the last response's status line; 0: none
  bool connected = false;
  bool throughProxy = false;        // a proxy of its own, not a direct connection
  int proxyConnectCode = 0;         // the proxy's answer to the CONNECT of a tunnel; 0: none
  bool headersOnly = false;         // the size was asked for, not the body
  bool bodyWithheld = false;        // the engine dropped a body it received ("Connection: CLOSE")
  bool rangeUndeliverable = false;  // the byte range asked for lies past the resource's end
  bool endedOnErrorStatus = false;  // the header handler ended the transfer on a status >= 400
  bool certificateRevoked = false;  // the server's certificate was known to be revoked
  std::chrono::milliseconds elapsed{0};
  std::chrono::seconds totalTimeout{0};  // 0: none
  std::chrono::seconds stallTimeout{0};  // 0: none
  std::string message;                   // libcurl's words, when it had any
};

TransferResult ClassifyTransfer(const TransferFacts& facts);

}  // namespace hftp::detail
