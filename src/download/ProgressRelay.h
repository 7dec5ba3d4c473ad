#pragma once
// The progress of one download, handed from the threads that report it to the thread that shows
// it: the download dialog's, or the installer window's for the instfiles page. The display reads
// it on a timer.
//
//   download::ProgressRelay relay;  // the job reports into it: it is a ProgressView
//   ... on the display's timer:
//   ::SendMessageW(bar, PBM_SETPOS, relay.Percent(), 0);
//   ::SetWindowTextW(line, relay.TextLine(pattern, words, now).c_str());
//
// Thread-safety: the Show* calls come from any thread (ProgressView.h); Percent and
// SizeUnknownWhileArriving may be read on any thread; TextLine is called on one thread only, the
// one that shows the line (it keeps the speed's measurement, TransferRate.h).

#include "download/ProgressText.h"
#include "download/ProgressView.h"
#include "download/TransferRate.h"
#include "download/Translations.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

namespace download {

class ProgressRelay : public ProgressView {
 public:
  void ShowPercent(int percent) noexcept override;
  void ShowBytes(std::uint64_t received, std::int64_t total) noexcept override;
  void ShowRoute(const std::wstring& route) noexcept override;

  int Percent() const noexcept;
  // Bytes arrive of a resource whose size is unknown: no percentage to show, a marquee instead.
  bool SizeUnknownWhileArriving() const noexcept;
  // The line under the bar at `now` (a steady clock's time), from `pattern` (ProgressText.h).
  std::wstring TextLine(const std::wstring& pattern, const Translation& words,
                        std::chrono::milliseconds now);

 private:
  std::atomic<int> percent_{0};
  std::atomic<std::uint64_t> received_{0};
  std::atomic<std::int64_t> total_{0};
  mutable std::mutex routeMutex_;
  std::wstring route_;  // guarded by routeMutex_
  TransferRate rate_;   // TextLine's thread only
};

}  // namespace download
