#include "ui/DownloadObserver.h"

#include "hftp/Status.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <utility>

namespace ui {

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

DownloadObserver::DownloadObserver(std::wstring path, ProgressView* view,
                                   TargetOptions target) noexcept
    : path_(std::move(path)),
      view_(view),
      target_(target),
      ended_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

bool DownloadObserver::OnDataChunk(const hftp::IDataAccessor& data,
                                   const hftp::IDownloadStatus& status) noexcept {
  MSK_CHECK_THREAD(transferThread_);
  // Only the first final notification counts: a library abort is told again at destruction.
  if (status.GetStatus() != hftp::StatusData && !finalSeen_) {
    finalSeen_ = true;
    facts_.status = status.GetStatus();
    facts_.resultCode = status.GetResultCode();
    // A response that ended the transfer with its status comes as that status line.
    if (const auto& line = status.GetHeaderLine(); line && !facts_.resultCode) {
      facts_.httpStatus = HttpStatusOfLine(*line);
    }
  }
  switch (status.GetStatus()) {
    case hftp::StatusData:
      return TakeBlock(data);
    case hftp::StatusCompleted:
      // An empty body arrives without any block: it still becomes a file.
      if (!Failed() && !file_ && !StartFile(data.GetTotalSize())) return false;
      // The engine completes a transfer whose body it withheld (a "Connection: CLOSE" answer):
      // fewer bytes than the answer announced are no download. The count compares like with
      // like, as the DLL's libcurl decodes no content encoding.
      if (MissesAnnouncedBytes(data.GetTotalSize())) {
        facts_.shortBody = true;
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

void DownloadObserver::OnResponse(const hftp::ResponseInfo& response) noexcept {
  MSK_CHECK_THREAD(transferThread_);
  // Comes before the first block: the file is placed with it, when its total is known.
  response_ = response;
}

void DownloadObserver::OnTransferError(const hftp::TransferError& error) noexcept {
  MSK_CHECK_THREAD(transferThread_);
  try {
    facts_.error = error;
  } catch (...) {
    facts_.error.reset();  // out of memory for the message: the code alone must do
  }
}

void DownloadObserver::WaitForEnd(std::chrono::milliseconds timeout,
                                  const CancelSignal* cancel) const noexcept {
  const DWORD milliseconds = WaitMilliseconds(timeout);
  HANDLE events[2] = {ended_.Get(), cancel != nullptr ? cancel->Event() : nullptr};
  const DWORD count = events[1] != nullptr ? 2 : 1;
  if (ended_) {
    ::WaitForMultipleObjects(count, events, FALSE, milliseconds);
  } else {
    ::Sleep(milliseconds);  // no event could be made: fall back to polling
  }
}

bool DownloadObserver::TakeBlock(const hftp::IDataAccessor& data) noexcept {
  // Once failed, the file may be gone already; do not bring it back.
  if (Failed()) return false;
  if (!file_ && !StartFile(data.GetTotalSize())) return false;
  const std::uint32_t size = data.GetSize();
  DWORD written = 0;
  if (size != 0 && (::WriteFile(file_.Get(), data.GetData(), size, &written, nullptr) == FALSE ||
                    written != size)) {
    // A short write (full disk, lost share) would otherwise end as a "success" with a hole.
    facts_.cannotWrite = true;
    Fail(Leftover::Delete);
    return false;
  }
  received_ += size;
  ShowProgress(data.GetTotalSize());
  return true;
}

bool DownloadObserver::StartFile(std::int64_t total) noexcept {
  // The engine sends nothing after a refused block, so the waiter must learn it from us.
  const std::optional<std::uint64_t> placement = BodyPlacement(target_, response_, total);
  if (!placement) {
    facts_.rangeUnusable = true;
    Fail(Leftover::Keep);  // what the file holds is still the start of the resource it was
    return false;
  }
  appendAt_ = *placement;
  received_ = appendAt_;
  if (!OpenFile()) {
    facts_.cannotWrite = true;
    Fail(Leftover::Keep);
    return false;
  }
  resourceSize_.store(total, std::memory_order_release);
  return true;
}

bool DownloadObserver::OpenFile() noexcept {
  if (appendAt_ == 0) {
    // Created new where there is no file yet, overwritten where there is one. Not CREATE_ALWAYS
    // alone: wine truncates even a file it has just created, and ext4 answers a file truncated to
    // nothing and written again by flushing all of it when it is closed, which made closing a fresh
    // 256 MiB download take a tenth of a second.
    file_.Reset(::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    // Reset keeps CreateFileW's error for the look below.
    if (!file_ && ::GetLastError() == ERROR_FILE_EXISTS) {
      file_.Reset(::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    }
  } else {
    // Continues right after the bytes the earlier attempt wrote, whatever may follow them.
    file_.Reset(::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(appendAt_);
    if (file_ && (!::SetFilePointerEx(file_.Get(), at, nullptr, FILE_BEGIN) ||
                  !::SetEndOfFile(file_.Get()))) {
      file_.Reset();
    }
  }
  if (file_) touched_.store(true, std::memory_order_release);
  return file_.IsValid();
}

bool DownloadObserver::MissesAnnouncedBytes(std::int64_t total) const noexcept {
  return total > 0 && received_ < static_cast<std::uint64_t>(total);
}

void DownloadObserver::Complete(std::int64_t total) noexcept {
  if (Failed()) return;
  // An empty resource arrives without any block: it still becomes a file.
  if (!file_ && !StartFile(total)) return;
  file_.Reset();
  completed_.store(true, std::memory_order_release);
  ::SetEvent(ended_.Get());
}

void DownloadObserver::Fail(Leftover leftover) noexcept {
  file_.Reset();
  if (leftover == Leftover::Delete && !target_.keepPartial) ::DeleteFileW(path_.c_str());
  failed_.store(true, std::memory_order_release);
  ::SetEvent(ended_.Get());
}

void DownloadObserver::ShowProgress(std::int64_t total) noexcept {
  if (view_ != nullptr) view_->ShowBytes(received_, total);
  const int percent = DownloadPercent(received_, total);
  // One message per visible step: a fast download would otherwise flood the dialog's queue.
  if (percent == shownPercent_) return;
  shownPercent_ = percent;
  if (view_ != nullptr) view_->ShowPercent(percent);
}

}  // namespace ui
