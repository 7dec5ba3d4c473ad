#pragma once
// The download's observer: writes the received bytes into the target file, keeps the progress
// view up to date and tells the waiting thread how the transfer ended.
//
//   auto observer = std::make_shared<ui::DownloadObserver>(path, &dialog);
//   auto service = factory->CreatePooledService(url, observer, nullptr, L"", L"", 0, "");
//   while (!observer->Completed() && !observer->Failed()) observer->WaitForEnd(timeout, nullptr);
//
// The file is created (or overwritten) with the first block; a transfer that ends without any
// byte still leaves an empty file, so Completed() always means the file is there. Completed()
// after StatusCompleted (or StatusSizeKnown); Failed() after StatusAborted or an error code (the
// file is then deleted), after a StatusCompleted that brought fewer bytes than the answer's
// announced size (deleted too; an unknown or zero size is no promise), after any unknown code
// (the file is kept as it is), when the file cannot be created (the block is refused and nothing
// else will come) and when a write falls short (the file is deleted and the block refused). A
// block after a failure is refused.
//
// A later attempt of the same download (ui::TargetOptions) may resume: the transfer asked for the
// bytes from `resumeFrom` on, and the observer appends them to the file only when the response is
// a 206 that continues it (BodyPlacement); an answer other than a 206 is the whole resource, and
// the file starts over; a 206 that does not continue the file fails the transfer before anything
// is written (TransferFacts::rangeUnusable), for the next attempt to start over. With
// `keepPartial` a failure leaves what was written, for the next attempt to resume from; deleting
// it is then the caller's job. Either way Facts() says afterwards why the transfer failed,
// Touched() whether the file was opened for writing and ResourceSize() the size of the resource
// whose bytes it holds.
//
// Thread-safety: OnDataChunk, OnResponse and OnTransferError run on the engine's transfer thread
// (checked: tools/ThreadChecker.h); Completed, Failed, Touched and WaitForEnd may be called from
// any thread at the same time, Facts once Failed() is true. The view must outlive every call of
// OnDataChunk.

#include "hftp/IObserver.h"
#include "tools/ThreadChecker.h"
#include "tools/WindowsHandles.h"
#include "ui/CancelSignal.h"
#include "ui/DownloadOutcome.h"
#include "ui/ProgressText.h"
#include "ui/ProgressView.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace ui {

struct TargetOptions {
  std::uint64_t resumeFrom = 0;  // > 0: the file holds this many bytes, the transfer asked for more
  bool keepPartial = false;      // a failure leaves the file as written
  // With resumeFrom: the size of the resource whose first bytes the file holds, as its response
  // announced it; 0 or less: unknown, and no range can continue the file.
  std::int64_t resourceSize = 0;
};

// Where the body of `response`, announced as `total` bytes in all, goes in the target: at 0 (the
// file starts over) for anything but a 206 to a resumed request, as that is the whole resource;
// at resumeFrom for a 206 whose Content-Range starts there and whose resource has the size the
// file was begun from (the resource has not changed since); nowhere for any other 206, which is
// neither the rest of the file nor a whole one.
std::optional<std::uint64_t> BodyPlacement(const TargetOptions& target,
                                           const hftp::ResponseInfo& response,
                                           std::int64_t total) noexcept;

class DownloadObserver final : public hftp::IObserver {
 public:
  DownloadObserver(std::wstring path, ProgressView* view, TargetOptions target = {}) noexcept;

  DownloadObserver(const DownloadObserver&) = delete;
  DownloadObserver& operator=(const DownloadObserver&) = delete;

  bool OnDataChunk(const hftp::IDataAccessor& data,
                   const hftp::IDownloadStatus& status) noexcept override;
  void OnResponse(const hftp::ResponseInfo& response) noexcept override;
  void OnTransferError(const hftp::TransferError& error) noexcept override;

  bool Completed() const noexcept { return completed_.load(std::memory_order_acquire); }
  bool Failed() const noexcept { return failed_.load(std::memory_order_acquire); }
  bool Touched() const noexcept { return touched_.load(std::memory_order_acquire); }
  // The size of the resource whose bytes the file holds, as the response announced it; 0 or less:
  // unknown, or nothing was written.
  std::int64_t ResourceSize() const noexcept {
    return resourceSize_.load(std::memory_order_acquire);
  }
  // Why the transfer failed; complete once Failed() is true.
  const TransferFacts& Facts() const noexcept { return facts_; }
  // Returns when the transfer has ended (either flag set), `cancel` (if any) was raised, or after
  // `timeout`, whichever is first.
  void WaitForEnd(std::chrono::milliseconds timeout,
                  const CancelSignal* cancel = nullptr) const noexcept;

 private:
  enum class Leftover { Delete, Keep };

  bool TakeBlock(const hftp::IDataAccessor& data) noexcept;
  // Places the body of a response announced as `total` bytes and opens the file for it; fails
  // the transfer when either cannot be done.
  bool StartFile(std::int64_t total) noexcept;
  bool OpenFile() noexcept;
  // Fewer bytes arrived than `total` (the size the answer announced; 0 or less: unknown).
  bool MissesAnnouncedBytes(std::int64_t total) const noexcept;
  void Complete(std::int64_t total) noexcept;
  void Fail(Leftover leftover) noexcept;
  void ShowProgress(std::int64_t total) noexcept;

  Tools::UniqueKernelHandle file_;
  std::uint64_t received_ = 0;
  std::wstring path_;
  ProgressView* view_;
  TargetOptions target_;
  hftp::ResponseInfo response_;  // the response that carries the body
  std::uint64_t appendAt_ = 0;   // where the file continues; 0: it starts over
  int shownPercent_ = 0;         // the bar starts at 0
  bool finalSeen_ = false;       // the transfer thread's: a final notification has come
  TransferFacts facts_;          // written before failed_ is set, then no more
  std::atomic<bool> completed_{false};
  std::atomic<bool> failed_{false};
  std::atomic<bool> touched_{false};
  std::atomic<std::int64_t> resourceSize_{0};
  Tools::UniqueKernelHandle ended_;  // manual-reset event, set with either flag
  MSK_THREAD_CHECKER(transferThread_);
};

}  // namespace ui
