#pragma once
// What a transfer tells its observer beyond bytes and status codes (hftp/IObserver.h):
//
//   void OnResponse(const hftp::ResponseInfo& response) override {
//     appending_ = response.statusCode == 206 && response.rangeFirst == resumedAt_;
//   }
//   void OnTransferError(const hftp::TransferError& error) override {
//     reason_ = error.message;  // e.g. "Failed to connect to host port 80 after 3 ms: ..."
//   }
//
// Plain values, valid only during the call that hands them over.

#include <cstdint>
#include <optional>
#include <string>

namespace hftp {

// The response that carries the body (redirects and interim answers are behind it).
struct ResponseInfo {
  int statusCode = 0;  // from its status line; 0 when none was seen
  // The first byte position of its Content-Range ("bytes FIRST-LAST/TOTAL"); absent when it has
  // none or the value is no byte range.
  std::optional<std::int64_t> rangeFirst;
  // It said "Connection: CLOSE": the engine read its body and passed none of it on, so a
  // completed transfer with this set delivered nothing of the resource.
  bool bodyWithheld = false;
};

// A transfer that libcurl ended with a failure.
struct TransferError {
  std::int32_t resultCode = 0;  // libcurl's CURLcode
  std::string message;          // libcurl's own words for it, or its generic text for the code
  bool connected = false;       // a connection to the server (or proxy) had been made
  int httpStatus = 0;           // the last response's status code; 0 when none was received
};

}  // namespace hftp
