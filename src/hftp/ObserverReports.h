#pragma once
// What a transfer tells its observer beyond bytes and status codes (hftp/IObserver.h): the
// response that carries the body, and one typed account of how the transfer ended.
//
//   void OnResponse(const hftp::ResponseInfo& response) override {
//     appending_ = response.statusCode == 206 && response.rangeFirst == resumedAt_;
//   }
//   void OnTransferEnd(const hftp::TransferResult& result) override {
//     if (result.kind == hftp::TransferResult::Kind::HttpStatus) status_ = result.httpStatus;
//   }
//
// Plain values, valid only during the call that hands them over; the revocation checks they share
// may be kept.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hftp/RevocationCheck.h"

namespace hftp {

// The response that carries the body (redirects and interim answers are behind it).
struct ResponseInfo {
  int statusCode = 0;  // from its status line; 0 when none was seen
  // The first byte position of its Content-Range ("bytes FIRST-LAST/TOTAL"); absent when it has
  // none or the value is no byte range.
  std::optional<std::int64_t> rangeFirst;
  // What tells this version of the resource from another, for RequestOptions::ifRange: its strong
  // ETag, else its Last-Modified date; empty when it has neither.
  std::string validator;
  // It said "Connection: CLOSE": the engine read its body and passed none of it on, so a
  // completed transfer with this set delivered nothing of the resource.
  bool bodyWithheld = false;
  // The revocation checks of the certificates of the HTTPS servers the transfer was answered by
  // (redirects included), each once (hftp/RevocationCheck.h); empty for plain http and where no
  // check is made. A completed transfer delivered what a trusted server sent only once none of
  // them is Revoked: whoever takes the body as a success waits until none is Pending.
  std::vector<std::shared_ptr<const RevocationCheck>> revocation{};
};

// How one transfer ended: the engine's single classification of libcurl's result code, the final
// response's status line and the limits the transfer ran under. Every kind but Completed is a
// failure; nothing above the engine needs libcurl's codes to tell them apart.
struct TransferResult {
  enum class Kind {
    Completed,         // a success status (2xx) and its whole body
    HttpStatus,        // the final response was no success: httpStatus says which
    CannotConnect,     // name lookup, refused or timed-out connect, TLS handshake
    Certificate,       // the server's certificate did not verify, or is known to be revoked
    Stalled,           // connected, but nothing arrived for the stall limit
    TimedOut,          // the whole-transfer limit ran out
    ConnectionLost,    // the connection broke, or the body was withheld, before it all arrived
    WriteRefused,      // the observer refused a block of the body
    Cancelled,         // the service was released, or a callback aborted the transfer
    RangeUnusable,     // the byte range asked for could not be delivered
    ProxyUnreachable,  // the proxy itself could not be found or connected to
    ProxyAuthFailed,   // the proxy asked for a sign-on (407) that no credentials could answer
    Unrecoverable,     // asking again cannot help: unsupported or refused protocol, malformed
                       // URL, too many redirects, an undecodable content encoding
    Other,             // anything else
  };

  Kind kind = Kind::Other;
  int httpStatus = 0;           // the final response's status code; 0 when none was received
  std::int32_t resultCode = 0;  // libcurl's CURLcode, for logs; 0 when libcurl reported none
  std::string message;          // libcurl's (or the engine's) words for a failure; UTF-8
  bool connected = false;       // a connection to the server (or proxy) had been made

  bool Succeeded() const noexcept { return kind == Kind::Completed; }
};

}  // namespace hftp
