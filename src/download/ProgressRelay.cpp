#include "download/ProgressRelay.h"

namespace download {

void ProgressRelay::ShowPercent(int percent) noexcept {
  percent_.store(percent, std::memory_order_release);
}

void ProgressRelay::ShowBytes(std::uint64_t received, std::int64_t total) noexcept {
  total_.store(total, std::memory_order_relaxed);
  received_.store(received, std::memory_order_release);
}

void ProgressRelay::ShowRoute(const std::wstring& route) noexcept {
  const std::lock_guard<std::mutex> lock(routeMutex_);
  try {
    route_ = route;
  } catch (...) {
    route_.clear();  // out of memory: shown as unknown
  }
}

int ProgressRelay::Percent() const noexcept {
  return percent_.load(std::memory_order_acquire);
}

bool ProgressRelay::SizeUnknownWhileArriving() const noexcept {
  return total_.load(std::memory_order_relaxed) <= 0 &&
         received_.load(std::memory_order_acquire) > 0;
}

std::wstring ProgressRelay::TextLine(const std::wstring& pattern, const Translation& words,
                                     std::chrono::milliseconds now) {
  ProgressSample sample;
  sample.received = received_.load(std::memory_order_acquire);
  sample.total = total_.load(std::memory_order_relaxed);
  rate_.Add(now, sample.received);
  sample.bytesPerSecond = rate_.BytesPerSecond();
  std::wstring route;
  {
    const std::lock_guard<std::mutex> lock(routeMutex_);
    route = route_;
  }
  return ProgressText(pattern, sample, route, words);
}

}  // namespace download
