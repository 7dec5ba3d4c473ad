#include "download/TransferRate.h"

namespace download {
namespace {

constexpr std::chrono::milliseconds kShortestSpan{500};

}  // namespace

void TransferRate::Add(std::chrono::milliseconds at, std::uint64_t bytes) {
  MSK_CHECK_THREAD(thread_);
  if (!samples_.empty() && (bytes < samples_.back().bytes || at < samples_.back().at)) {
    samples_.clear();
  }
  samples_.push_back({at, bytes});
  while (samples_.size() > 1 && at - samples_.front().at > kRateWindow) samples_.pop_front();
}

std::optional<double> TransferRate::BytesPerSecond() const noexcept {
  MSK_CHECK_THREAD(thread_);
  if (samples_.size() < 2) return std::nullopt;
  const Sample& first = samples_.front();
  const Sample& last = samples_.back();
  const auto span = last.at - first.at;
  if (span < kShortestSpan) return std::nullopt;
  return static_cast<double>(last.bytes - first.bytes) * 1000.0 / static_cast<double>(span.count());
}

}  // namespace download
