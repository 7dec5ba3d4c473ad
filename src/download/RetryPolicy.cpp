#include "download/RetryPolicy.h"

namespace download {

std::chrono::seconds RetryDelay(int retry) noexcept {
  if (retry <= 0) return std::chrono::seconds(0);
  std::chrono::seconds delay{1};
  for (int i = 1; i < retry && delay < kLongestRetryDelay; ++i) delay *= 2;
  return delay < kLongestRetryDelay ? delay : kLongestRetryDelay;
}

bool IsRetryable(const DownloadOutcome& outcome) noexcept {
  switch (outcome.result) {
    case DownloadResult::HttpError:
      // The server's trouble, a time-out or "too many requests" may pass; any other answer would
      // come again.
      return outcome.httpStatus >= 500 || outcome.httpStatus == 408 || outcome.httpStatus == 429;
    case DownloadResult::CannotConnect:
    case DownloadResult::ProxyUnreachable:
    case DownloadResult::Stalled:
    case DownloadResult::TimedOut:
    case DownloadResult::ConnectionLost:
    case DownloadResult::NoNetwork:
    case DownloadResult::Failed:
    // A body corrupted on its way explains a signature that does not fit; a retry fetches it anew.
    case DownloadResult::SignatureNotValid:
      return true;
    case DownloadResult::Completed:
    case DownloadResult::CertificateNotTrusted:
    case DownloadResult::CannotWrite:
    case DownloadResult::Cancelled:
    case DownloadResult::ChecksumMismatch:
    case DownloadResult::Unrecoverable:
    case DownloadResult::NotSigned:
    case DownloadResult::SignerNotTrusted:
    case DownloadResult::WrongSigner:
    case DownloadResult::ProxyAuthFailed:
      return false;
  }
  return false;
}

}  // namespace download
