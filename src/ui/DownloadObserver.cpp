#include "ui/DownloadObserver.h"

#include "hftp/Status.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <utility>

namespace ui {

int DownloadPercent(std::uint64_t received, std::int64_t total) noexcept {
  if (total <= 0) return 0;
  const auto whole = static_cast<std::uint64_t>(total);
  if (received >= whole) return 100;
  constexpr std::uint64_t kLargestExact = std::numeric_limits<std::uint64_t>::max() / 100;
  if (received <= kLargestExact) return static_cast<int>(received * 100 / whole);
  // Beyond 2^64 / 100 bytes the product would overflow; whole / 100 is then so large that
  // dividing by it first loses nothing visible.
  return static_cast<int>(std::min<std::uint64_t>(received / (whole / 100), 99));
}

DownloadObserver::DownloadObserver(std::wstring path, ProgressView* view) noexcept
    : path_(std::move(path)), view_(view), ended_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

bool DownloadObserver::OnDataChunk(const hftp::IDataAccessor& data,
                                   const hftp::IDownloadStatus& status) noexcept {
  switch (status.GetStatus()) {
    case hftp::StatusData:
      return TakeBlock(data);
    case hftp::StatusCompleted:
      // The engine completes a transfer whose body it withheld (a "Connection: CLOSE" answer):
      // fewer bytes than the answer announced are no download. The count compares like with
      // like, as the DLL's libcurl decodes no content encoding.
      if (MissesAnnouncedBytes(data.GetTotalSize())) {
        Fail(Leftover::Delete);
        return false;
      }
      Complete();
      return true;
    case hftp::StatusSizeKnown:  // headers only: no body was asked for
      Complete();
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

void DownloadObserver::WaitForEnd(std::chrono::milliseconds timeout) const noexcept {
  const auto milliseconds = static_cast<DWORD>(std::clamp<std::chrono::milliseconds::rep>(
      timeout.count(), 0, std::numeric_limits<DWORD>::max() - 1));
  if (ended_) {
    ::WaitForSingleObject(ended_.Get(), milliseconds);
  } else {
    ::Sleep(milliseconds);  // no event could be made: fall back to polling
  }
}

bool DownloadObserver::TakeBlock(const hftp::IDataAccessor& data) noexcept {
  // Once failed, the file may be gone already; do not bring it back.
  if (Failed()) return false;
  if (!file_ && !OpenFile()) {
    // The engine sends nothing after a refused block, so the waiter must learn it from us.
    Fail(Leftover::Keep);
    return false;
  }
  const std::uint32_t size = data.GetSize();
  DWORD written = 0;
  if (size != 0 && (::WriteFile(file_.Get(), data.GetData(), size, &written, nullptr) == FALSE ||
                    written != size)) {
    // A short write (full disk, lost share) would otherwise end as a "success" with a hole.
    Fail(Leftover::Delete);
    return false;
  }
  received_ += size;
  ShowProgress(data.GetTotalSize());
  return true;
}

bool DownloadObserver::OpenFile() noexcept {
  // Created new where there is no file yet, overwritten where there is one. Not CREATE_ALWAYS
  // alone: wine truncates even a file it has just created, and ext4 answers a file truncated to
  // nothing and written again by flushing all of it when it is closed, which made closing a fresh
  // 256 MiB download take a tenth of a second.
  const HANDLE created = ::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
  const DWORD error = ::GetLastError();
  file_.Reset(created);
  if (!file_ && error == ERROR_FILE_EXISTS) {
    file_.Reset(::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  return file_.IsValid();
}

bool DownloadObserver::MissesAnnouncedBytes(std::int64_t total) const noexcept {
  return total > 0 && received_ < static_cast<std::uint64_t>(total);
}

void DownloadObserver::Complete() noexcept {
  if (Failed()) return;
  // An empty resource arrives without any block: it still becomes a file.
  if (!file_ && !OpenFile()) {
    Fail(Leftover::Keep);
    return;
  }
  file_.Reset();
  completed_.store(true, std::memory_order_release);
  ::SetEvent(ended_.Get());
}

void DownloadObserver::Fail(Leftover leftover) noexcept {
  file_.Reset();
  if (leftover == Leftover::Delete) ::DeleteFileW(path_.c_str());
  failed_.store(true, std::memory_order_release);
  ::SetEvent(ended_.Get());
}

void DownloadObserver::ShowProgress(std::int64_t total) noexcept {
  const int percent = DownloadPercent(received_, total);
  // One message per visible step: a fast download would otherwise flood the dialog's queue.
  if (percent == shownPercent_) return;
  shownPercent_ = percent;
  if (view_ != nullptr) view_->ShowPercent(percent);
}

}  // namespace ui
