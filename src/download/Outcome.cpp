#include "download/Outcome.h"

#include <utility>

namespace download {

DownloadOutcome DownloadOutcome::Of(DownloadResult result, std::string detail) {
  DownloadOutcome outcome;
  outcome.result = result;
  outcome.detail = std::move(detail);
  return outcome;
}

DownloadOutcome OutcomeOf(const hftp::TransferResult& transfer) {
  using Kind = hftp::TransferResult::Kind;
  switch (transfer.kind) {
    case Kind::Completed:
      return DownloadOutcome::Of(DownloadResult::Completed);
    case Kind::HttpStatus: {
      DownloadOutcome outcome = DownloadOutcome::Of(DownloadResult::HttpError);
      outcome.httpStatus = transfer.httpStatus;
      return outcome;
    }
    case Kind::CannotConnect:
      return DownloadOutcome::Of(DownloadResult::CannotConnect, transfer.message);
    case Kind::Certificate:
      return DownloadOutcome::Of(DownloadResult::CertificateNotTrusted, transfer.message);
    case Kind::Stalled:
      return DownloadOutcome::Of(DownloadResult::Stalled, transfer.message);
    case Kind::TimedOut:
      return DownloadOutcome::Of(DownloadResult::TimedOut, transfer.message);
    case Kind::ConnectionLost:
      return DownloadOutcome::Of(DownloadResult::ConnectionLost, transfer.message);
    case Kind::WriteRefused:
      return DownloadOutcome::Of(DownloadResult::CannotWrite, transfer.message);
    case Kind::Cancelled:
      return DownloadOutcome::Of(DownloadResult::Cancelled, transfer.message);
    case Kind::ProxyUnreachable:
      return DownloadOutcome::Of(DownloadResult::ProxyUnreachable, transfer.message);
    case Kind::ProxyAuthFailed:
      return DownloadOutcome::Of(DownloadResult::ProxyAuthFailed, transfer.message);
    case Kind::Unrecoverable:
      return DownloadOutcome::Of(DownloadResult::Unrecoverable, transfer.message);
    case Kind::RangeUnusable:
    case Kind::Other:
      break;
  }
  return DownloadOutcome::Of(DownloadResult::Failed, transfer.message);
}

}  // namespace download
