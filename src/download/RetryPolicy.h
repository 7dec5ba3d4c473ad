#pragma once
// When a failed download is tried again, and after how long.
//
//   for (int retry = 1; retry <= retries && download::IsRetryable(outcome); ++retry) {
//     if (cancel.WaitFor(download::RetryDelay(retry))) break;
//     outcome = Attempt();
//   }
//
// Pure functions: thread-safe.

#include "download/Outcome.h"

#include <chrono>

namespace download {

// The longest pause between two attempts.
inline constexpr std::chrono::seconds kLongestRetryDelay{30};

// The pause before retry number `retry` (1 for the first): 1, 2, 4, 8 ... seconds, at most
// kLongestRetryDelay; 0 before the first attempt (`retry` 0 or less).
std::chrono::seconds RetryDelay(int retry) noexcept;

// Whether another attempt may bring the file: not after an answer that a retry would only repeat
// (an HTTP 4xx, an untrusted certificate, a file with another digest or signer, or none), a target
// that cannot be written, or a cancel. A signature that does not fit the file may be a corrupted
// transfer: that one is retried.
bool IsRetryable(const DownloadOutcome& outcome) noexcept;

}  // namespace download
