#include "download/TransferSink.h"

#include "download/ProgressText.h"
#include "hftp/Status.h"

#include <utility>

namespace download {

std::optional<std::uint64_t> BodyPlacement(const TargetOptions& target,
                                           const hftp::ResponseInfo& response,
                                           std::int64_t total) noexcept {
  if (target.resumeFrom == 0 || response.statusCode != 206) return 0;
  const bool startsAtTheEnd = response.rangeFirst && *response.rangeFirst >= 0 &&
                              static_cast<std::uint64_t>(*response.rangeFirst) == target.resumeFrom;
  // Without a size to compare, a changed resource cannot be told from the same one.
  const bool sameResource = target.resourceSize > 0 && total == target.resourceSize;
  if (startsAtTheEnd && sameResource) return target.resumeFrom;
  return std::nullopt;
}

TransferSink::TransferSink(std::wstring path, ProgressView* view, std::shared_ptr<Wakeup> wakeup,
                           TargetOptions target) noexcept
    : path_(std::move(path)), view_(view), wakeup_(std::move(wakeup)), target_(target) {}

bool TransferSink::OnDataChunk(const hftp::IDataAccessor& data,
                               const hftp::IDownloadStatus& status) noexcept {
  MSK_CHECK_THREAD(transferThread_);
  const std::lock_guard<std::mutex> lock(abandonMutex_);
  if (abandoned_) return false;
  // Only the first final notification counts: a library abort is told again at destruction.
  if (status.GetStatus() != hftp::StatusData) {
    if (finalSeen_) return false;
    finalSeen_ = true;
  }
  switch (status.GetStatus()) {
    case hftp::StatusData:
      return TakeBlock(data);
    case hftp::StatusCompleted:
      // A completion that was no success (a 204, a body the engine withheld) brings no file.
      if (result_ && !result_->Succeeded()) {
        Fail(Leftover::Delete);
        return false;
      }
      // An empty body arrives without any block: it still becomes a file.
      if (!Failed() && !file_ && !StartFile(data.GetTotalSize())) return false;
      // Fewer bytes than the answer announced are no download. The count compares like with
      // like, as the DLL's libcurl decodes no content encoding.
      if (MissesAnnouncedBytes(data.GetTotalSize())) {
        shortBody_ = true;
        Fail(Leftover::Delete);
        return false;
      }
      Complete(data.GetTotalSize());
      return true;
    case hftp::StatusSizeKnown:  // headers only: no body was asked for
      Complete(data.GetTotalSize());
      return true;
    case hftp::StatusAborted:
    case hftp::StatusConnectionError:
    case hftp::StatusProxyError:
    case hftp::StatusAccessDenied:
    case hftp::StatusAddressError:
    case hftp::StatusTransferError:
    case hftp::StatusError:
    case hftp::StatusNotFound:
      Fail(Leftover::Delete);
      return false;
    default:
      // Codes the engine does not send: whatever was written stays for inspection.
      Fail(Leftover::Keep);
      return false;
  }
}

void TransferSink::OnConnected() noexcept {
  MSK_CHECK_THREAD(transferThread_);
  connected_.store(true, std::memory_order_release);
}

void TransferSink::OnResponse(const hftp::ResponseInfo& response) noexcept {
  MSK_CHECK_THREAD(transferThread_);
  const std::lock_guard<std::mutex> lock(abandonMutex_);
  if (abandoned_) return;
  // Comes before the first block: the file is placed with it, when its total is known.
  response_ = response;
  connected_.store(true, std::memory_order_release);  // a response came over a connection
}

void TransferSink::OnTransferEnd(const hftp::TransferResult& result) noexcept {
  MSK_CHECK_THREAD(transferThread_);
  const std::lock_guard<std::mutex> lock(abandonMutex_);
  if (abandoned_) return;
  if (Ended()) return;
  try {
    result_ = result;
  } catch (...) {
    // Out of memory for the message: the kind alone must do.
    hftp::TransferResult bare;
    bare.kind = result.kind;
    bare.httpStatus = result.httpStatus;
    result_ = std::move(bare);
  }
}

void TransferSink::Abandon() noexcept {
  const std::lock_guard<std::mutex> lock(abandonMutex_);
  abandoned_ = true;
  file_.reset();  // closed, so that the job can delete it
  view_ = nullptr;
}

DownloadOutcome TransferSink::Outcome() const {
  if (Completed()) return DownloadOutcome::Of(DownloadResult::Completed);
  if (cannotWrite_) return DownloadOutcome::Of(DownloadResult::CannotWrite);
  if (shortBody_) {
    DownloadOutcome outcome = result_ ? OutcomeOf(*result_) : DownloadOutcome();
    outcome.result = DownloadResult::ConnectionLost;
    if (outcome.detail.empty()) outcome.detail = "the server sent less than it announced";
    return outcome;
  }
  if (rangeUnusable_) {
    return DownloadOutcome::Of(DownloadResult::Failed,
                               "the server's range does not continue the file");
  }
  if (result_) return OutcomeOf(*result_);
  return DownloadOutcome::Of(DownloadResult::Failed);
}

bool TransferSink::TakeBlock(const hftp::IDataAccessor& data) noexcept {
  // Once failed, the file may be gone already; do not bring it back.
  if (Failed()) return false;
  if (!file_ && !StartFile(data.GetTotalSize())) return false;
  const std::uint32_t size = data.GetSize();
  if (!file_->Write(data.GetData(), size)) {
    // A short write (full disk, lost share) would otherwise end as a "success" with a hole.
    cannotWrite_ = true;
    Fail(Leftover::Delete);
    return false;
  }
  received_ += size;
  ShowProgress(data.GetTotalSize());
  return true;
}

bool TransferSink::StartFile(std::int64_t total) noexcept {
  // The engine sends nothing after a refused block, so the waiter must learn it from us.
  const std::optional<std::uint64_t> placement = BodyPlacement(target_, response_, total);
  if (!placement) {
    rangeUnusable_ = true;
    Fail(Leftover::Keep);  // what the file holds is still the start of the resource it was
    return false;
  }
  appendAt_ = *placement;
  received_ = appendAt_;
  file_ = TargetFile::Open(path_, appendAt_);
  if (!file_) {
    cannotWrite_ = true;
    Fail(Leftover::Keep);
    return false;
  }
  try {
    fileValidator_ = response_.validator;
  } catch (...) {
    fileValidator_.clear();  // without a validator the file is never continued: safe
  }
  touched_.store(true, std::memory_order_release);
  resourceSize_.store(total, std::memory_order_release);
  return true;
}

bool TransferSink::MissesAnnouncedBytes(std::int64_t total) const noexcept {
  return total > 0 && received_ < static_cast<std::uint64_t>(total);
}

void TransferSink::Complete(std::int64_t total) noexcept {
  if (Failed()) return;
  // An empty resource arrives without any block: it still becomes a file.
  if (!file_ && !StartFile(total)) return;
  file_.reset();
  completed_.store(true, std::memory_order_release);
  if (wakeup_) wakeup_->Notify();
}

void TransferSink::Fail(Leftover leftover) noexcept {
  file_.reset();
  if (leftover == Leftover::Delete && !target_.keepPartial) DeleteFileAt(path_);
  failed_.store(true, std::memory_order_release);
  if (wakeup_) wakeup_->Notify();
}

void TransferSink::ShowProgress(std::int64_t total) noexcept {
  if (view_ != nullptr) view_->ShowBytes(received_, total);
  const int percent = DownloadPercent(received_, total);
  // One message per visible step: a fast download would otherwise flood the dialog's queue.
  if (percent == shownPercent_) return;
  shownPercent_ = percent;
  if (view_ != nullptr) view_->ShowPercent(percent);
}

}  // namespace download
