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
  Completed,              // the file is at the target (with the checksum and signer asked for)
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
  NotSigned,              // expected signed: the file that arrived has no signature; deleted
  SignatureNotValid,      // its signature does not fit its contents, or is broken; deleted
  SignerNotTrusted,       // its signer's certificate is not trusted for code signing; deleted
  WrongSigner,            // signed and trusted, but by another name (detail); deleted
  Failed,                 // anything else
};

struct DownloadOutcome {
  DownloadResult result = DownloadResult::Failed;
  int httpStatus = 0;  // HttpError: the status code
  // CannotConnect, ConnectionLost, Failed: libcurl's words; WrongSigner: the signer's name (UTF-8)
  std::string detail;
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
