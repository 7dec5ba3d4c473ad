#pragma once
// The job's own watch over a transfer's time limits, for when libcurl cannot keep them.
//
//   download::LimitWatch watch(options, Clock::now());
//   ... wait at most watch.NextCheck(now) ...
//   if (auto result = watch.Overdue({now, sink->Connected(), hftp::SharedWorkerHeldFor()}))
//     ... stop waiting: the transfer ended with *result ...
//
// libcurl ends a transfer at its limits itself, but only from inside its own call on the engine's
// shared worker, and a call that blocks inside it (a TLS handshake fetching a missing intermediate
// certificate) holds every pooled transfer with it for as long as that takes. So:
// - the whole-transfer limit: a transfer still running kMargin after it is over (TimedOut);
// - the connect limit: not connected kMargin after it, while libcurl has held the worker for at
//   least kMargin (CannotConnect). Only then: with the worker free, libcurl alone decides; and a
//   transfer whose connection stands (its request is out, or answered) is past connecting, whoever
//   holds the worker: only the whole-transfer or the stall limit may end it;
// - the stall limit: libcurl has held the worker for the limit plus kMargin (Stalled): nothing can
//   have arrived meanwhile.
// The margin lets libcurl's own answer, and its words, come first whenever it can.
//
// A plain value: thread-compatible.

#include "download/Outcome.h"
#include "hftp/RequestOptions.h"

#include <chrono>
#include <optional>

namespace download {

class LimitWatch {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kMargin{500};

  struct Now {
    Clock::time_point time;
    bool connected = false;  // the connection stood and a request went out (TransferSink)
    std::chrono::milliseconds workerHeld{0};
  };

  LimitWatch(const hftp::RequestOptions& options, Clock::time_point start) noexcept;

  // The result to answer when a limit is over and libcurl cannot say so.
  std::optional<DownloadResult> Overdue(const Now& now) const noexcept;
  // How long a wait may last before Overdue should be asked again; `ceiling` when no limit is set.
  std::chrono::milliseconds NextCheck(Clock::time_point now,
                                      std::chrono::milliseconds ceiling) const noexcept;

 private:
  std::optional<Clock::time_point> totalOver_;
  std::optional<Clock::time_point> connectOver_;
  std::optional<std::chrono::milliseconds> stallHold_;  // a hold this long is a stall
};

}  // namespace download
