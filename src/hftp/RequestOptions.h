#pragma once
// How one transfer may behave beyond what its URL says: the limits that end a transfer which no
// longer makes progress. Handed to hftp::ServiceFactory's creator that takes options:
//
//   hftp::RequestOptions options;                      // the defaults limit nothing
//   options.stallTimeout = std::chrono::seconds(30);   // no byte for 30 s: the transfer fails
//   options.connectTimeout = std::chrono::seconds(30);
//   auto service = factory.CreatePooledService(L"http://host/file", observer, options);
//
// Every field has a default that asks for what the creators without options do, so a field added
// later leaves existing callers as they are. A transfer ended by either limit reports
// StatusConnectionError with result code 28 (CURLE_OPERATION_TIMEDOUT).
//
// A plain value: thread-compatible.

#include <chrono>

namespace hftp {

struct RequestOptions {
  // How long the transfer may go without receiving a byte (before the answer as well as within
  // its body). libcurl measures the receive speed over a few seconds, so a stall is noticed up to
  // about five seconds after this. Zero or less: no limit.
  std::chrono::seconds stallTimeout{0};
  // How long connecting may take, name lookup included. Zero or less: libcurl's own limit (300 s).
  // At most 2,147,483 s (libcurl keeps it in milliseconds in an int); more is cut to that.
  std::chrono::seconds connectTimeout{0};
};

}  // namespace hftp
