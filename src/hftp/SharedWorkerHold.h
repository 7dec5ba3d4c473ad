#pragma once
// How long libcurl has been inside its current call on the engine's shared worker: the one call
// (curl_multi_perform) that advances every pooled transfer, and in which libcurl enforces their
// time limits. While it is held there (a TLS handshake fetching a missing intermediate certificate
// synchronously), no pooled transfer moves and none of their limits can fire, so a waiter that sees
// a long hold knows that libcurl will not answer for it.
//
//   if (hftp::SharedWorkerHeldFor() > std::chrono::seconds(1)) ...   // libcurl is stuck
//
//   { hftp::detail::PerformClock clock; curl_multi_perform(...); }   // the pool, around the call
//
// Thread-safety: SharedWorkerHeldFor may be called from any thread at any time; a PerformClock
// lives on the shared worker, one at a time.

#include <chrono>

namespace hftp {

// Zero when libcurl is not inside a call on the shared worker.
std::chrono::milliseconds SharedWorkerHeldFor() noexcept;

namespace detail {

// Marks the shared worker held by libcurl for its lifetime.
class PerformClock {
 public:
  PerformClock() noexcept;
  ~PerformClock();
  PerformClock(const PerformClock&) = delete;
  PerformClock& operator=(const PerformClock&) = delete;
};

}  // namespace detail
}  // namespace hftp
