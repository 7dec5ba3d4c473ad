#pragma once
// How a download ended, in the terms an installer script is told.
//
//   download::DownloadOutcome outcome = download::OutcomeOf(transferResult);
//   if (outcome.result == download::DownloadResult::HttpError) ... outcome.httpStatus ...
//
// The engine classifies every transfer once (hftp::TransferResult); this names the same kinds as a
// download's results and adds the download's own (the file, the network, the checksum).
//
// Pure values and functions: thread-safe.

#include "hftp/ObserverReports.h"

#include <string>

namespace download {

enum class DownloadResult {
  Completed,              // the file is at the target (with the checksum and signer asked for)
  HttpError,              // the server answered with no success status (httpStatus)
  CannotConnect,          // no connection: name lookup, refusal, connect time-out, TLS handshake
  Stalled,                // connected, but nothing arrived for the stall limit
  TimedOut,               // the whole-transfer limit ran out
  CertificateNotTrusted,  // the server's certificate did not verify
  ConnectionLost,         // the connection broke (or the body was withheld) before it all arrived
  CannotWrite,            // the target could not be created or written
  NoNetwork,              // the machine lost its network
  Cancelled,              // the user cancelled
  ChecksumMismatch,       // the file arrived but is not the one expected; it was deleted
  ProxyAuthFailed,        // the proxy asked for a sign-on (407) that no credentials could answer
  ProxyUnreachable,       // no proxy of the route could be connected to, and none was DIRECT
  NotSigned,              // expected signed: the file that arrived has no signature; deleted
  SignatureNotValid,      // its signature does not fit its contents, or is broken; deleted
  SignerNotTrusted,       // its signer's certificate is not trusted for code signing; deleted
  WrongSigner,            // signed and trusted, but by another name (detail); deleted
  Unrecoverable,          // asking again cannot help (bad URL, unsupported protocol, ...)
  Failed,                 // anything else
};

struct DownloadOutcome {
  DownloadResult result = DownloadResult::Failed;
  int httpStatus = 0;  // HttpError: the status code
  // CannotConnect, ConnectionLost, Unrecoverable, Failed: why; WrongSigner: the signer's name;
  // ProxyUnreachable: "host:port: " and why (UTF-8)
  std::string detail;

  static DownloadOutcome Of(DownloadResult result, std::string detail = {});
};

// The download's result for a transfer that ended as `transfer` says.
DownloadOutcome OutcomeOf(const hftp::TransferResult& transfer);

}  // namespace download
