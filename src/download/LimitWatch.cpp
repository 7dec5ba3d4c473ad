#include "download/LimitWatch.h"

#include <algorithm>

namespace download {
namespace {

// libcurl keeps the limits in milliseconds in an int and cuts longer ones to this
// (hftp/RequestOptions.h); so does the watch, which also keeps the sums from overflowing.
constexpr std::chrono::seconds kLongest{2147483};

std::optional<std::chrono::seconds> Limit(std::chrono::seconds value) noexcept {
  if (value <= std::chrono::seconds(0)) return std::nullopt;
  return std::min(value, kLongest);
}

}  // namespace

LimitWatch::LimitWatch(const hftp::RequestOptions& options, Clock::time_point start) noexcept {
  if (const auto total = Limit(options.totalTimeout)) totalOver_ = start + *total + kMargin;
  if (const auto connect = Limit(options.connectTimeout)) connectOver_ = start + *connect + kMargin;
  if (const auto stall = Limit(options.stallTimeout)) stallHold_ = *stall + kMargin;
}

std::optional<DownloadResult> LimitWatch::Overdue(const Now& now) const noexcept {
  if (totalOver_ && now.time >= *totalOver_) return DownloadResult::TimedOut;
  const bool held = now.workerHeld >= kMargin;
  if (connectOver_ && now.time >= *connectOver_ && !now.connected && held) {
    return DownloadResult::CannotConnect;
  }
  if (stallHold_ && now.workerHeld >= *stallHold_) return DownloadResult::Stalled;
  return std::nullopt;
}

std::chrono::milliseconds LimitWatch::NextCheck(Clock::time_point now,
                                                std::chrono::milliseconds ceiling) const noexcept {
  // The hold-based limits are re-checked often while any limit is set: a hold shows only by
  // looking. Each check is a few atomic loads.
  constexpr std::chrono::milliseconds kPoll{100};
  if (!totalOver_ && !connectOver_ && !stallHold_) return ceiling;
  std::chrono::milliseconds wait = std::min(ceiling, kPoll);
  if (totalOver_) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*totalOver_ - now);
    wait = std::min(wait, std::max(left, std::chrono::milliseconds(0)));
  }
  return wait;
}

}  // namespace download
