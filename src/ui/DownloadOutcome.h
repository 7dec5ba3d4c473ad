#pragma once
// How a download ended, in the terms an installer script is told, and how the facts that the
// download's observer gathers from the engine come to it.
//
//   ui::TransferFacts facts = observer.Facts();   // after observer.Failed()
//   ui::DownloadOutcome outcome = ui::ClassifyFailure(facts, attemptTime, limits);
//   if (outcome.result == ui::DownloadResult::HttpError) ... outcome.httpStatus ...
//
// Pure values and functions: thread-safe.

#include "hftp/ObserverReports.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace ui {

enum class DownloadResult {
  Completed,              // the file is at the target (and matched its checksum, if one was given)
  HttpError,              // the server answered with an error status (httpStatus)
  CannotConnect,          // no connection: name lookup, refusal, connect time-out, TLS handshake
  Stalled,                // connected, but nothing arrived for the stall limit
  TimedOut,               // the whole-transfer limit ran out
  CertificateNotTrusted,  // the server's certificate did not verify
  ConnectionLost,         // the connection broke before the whole body arrived
  CannotWrite,            // the target could not be created or written
  NoNetwork,              // the machine lost its network
  Cancelled,              // the user cancelled
  ChecksumMismatch,       // the file arrived but is not the one expected; it was deleted
  ProxyAuthFailed,        // the proxy asked for a sign-on (407) that no credentials could answer
  ProxyUnreachable,       // no proxy of the route could be connected to, and none was DIRECT
  Failed,                 // anything else
};

struct DownloadOutcome {
  DownloadResult result = DownloadResult::Failed;
  int httpStatus = 0;           // HttpError: the status code
  std::string detail;           // CannotConnect, ConnectionLost, Failed: libcurl's words (UTF-8);
                                // ProxyUnreachable: "host:port: " and libcurl's words
  std::int32_t resultCode = 0;  // libcurl's CURLcode, when the failure came with one
};

// What the observer learned about a transfer that failed.
struct TransferFacts {
  int status = 0;                          // the final hftp::Status
  std::optional<std::int32_t> resultCode;  // libcurl's, when the final notification carried one
  int httpStatus = 0;  // the status line of a response that ended the transfer, else 0
  std::optional<hftp::TransferError> error;  // libcurl's account, when it gave one
  bool cannotWrite = false;                  // the target could not be opened or a write fell short
  bool shortBody = false;  // completed with fewer bytes than the response announced
  // A resumed request was answered with a range that does not continue the file: another range,
  // or one of a resource that has changed since the file was begun.
  bool rangeUnusable = false;
};

// The limits the transfer ran under, to tell its time-outs apart.
struct TransferLimits {
  std::chrono::seconds totalTimeout{0};  // 0: none
};

// The outcome of a failed transfer that took `elapsed`. A libcurl time-out (result 28) is the
// whole-transfer limit when that has run out, a failed connect when no connection stood, and a
// stall otherwise.
DownloadOutcome ClassifyFailure(const TransferFacts& facts, std::chrono::milliseconds elapsed,
                                const TransferLimits& limits);

// The status code of an HTTP status line ("HTTP/1.1 404 Not Found" -> 404); 0 for other lines.
int HttpStatusOfLine(const std::string& line) noexcept;

}  // namespace ui
