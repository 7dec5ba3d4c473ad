#pragma once
// How fast a download goes, measured over the last few seconds from samples of the byte count.
//
//   download::TransferRate rate;
//   rate.Add(now, received);                  // e.g. four times a second
//   std::optional<double> speed = rate.BytesPerSecond();
//
// The speed is the growth between the oldest and the newest sample within kRateWindow, known once
// they lie half a second apart. A count that goes down (the download started over) starts the
// measurement afresh.
//
// Thread-compatible: one thread (the dialog's; checked: tools/ThreadChecker.h).

#include "tools/ThreadChecker.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>

namespace download {

inline constexpr std::chrono::milliseconds kRateWindow{3000};

class TransferRate {
 public:
  void Add(std::chrono::milliseconds at, std::uint64_t bytes);
  std::optional<double> BytesPerSecond() const noexcept;

 private:
  struct Sample {
    std::chrono::milliseconds at;
    std::uint64_t bytes;
  };
  std::deque<Sample> samples_;
  MSK_THREAD_CHECKER(thread_);
};

}  // namespace download
