#include "ui/RetryPolicy.h"

namespace ui {

std::chrono::seconds RetryDelay(int retry) noexcept {
  if (retry <= 0) return std::chrono::seconds(0);
  std::chrono::seconds delay{1};
  for (int i = 1; i < retry && delay < kLongestRetryDelay; ++i) delay *= 2;
  return delay < kLongestRetryDelay ? delay : kLongestRetryDelay;
}

bool IsRetryable(const DownloadOutcome& outcome) noexcept {
  switch (outcome.result) {
    case DownloadResult::HttpError:
      return outcome.httpStatus < 400 || outcome.httpStatus >= 500;
    case DownloadResult::CannotConnect:
    case DownloadResult::ProxyUnreachable:
    case DownloadResult::Stalled:
    case DownloadResult::TimedOut:
    case DownloadResult::ConnectionLost:
    case DownloadResult::NoNetwork:
    case DownloadResult::Failed:
      return true;
    case DownloadResult::Completed:
    case DownloadResult::CertificateNotTrusted:
    case DownloadResult::CannotWrite:
    case DownloadResult::Cancelled:
    case DownloadResult::ChecksumMismatch:
    case DownloadResult::ProxyAuthFailed:
      return false;
  }
  return false;
}

}  // namespace ui
