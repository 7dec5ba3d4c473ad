#pragma once
// The download's observer: writes the received bytes into the target file (download/TargetFile.h),
// keeps the progress view up to date and tells the waiting job how the transfer ended.
//
//   auto wakeup = std::make_shared<download::Wakeup>();
//   auto sink = std::make_shared<download::TransferSink>(path, &view, wakeup);
//   auto service = factory->CreatePooledService(url, sink, options);
//   wakeup->WaitFor(timeout, [&] { return sink->Ended(); });
//   download::DownloadOutcome outcome = sink->Outcome();
//
// The file is created (or overwritten) with the first block; a transfer that ends without any
// byte still leaves an empty file, so Completed() always means the file is there. Completed()
// after a successful end (hftp::TransferResult) and StatusCompleted (or StatusSizeKnown);
// Failed() after StatusAborted, an error code or a completion that was no success (the file is
// then deleted), after a StatusCompleted that brought fewer bytes than the answer's announced size
// (deleted too; an unknown or zero size is no promise), after any unknown code (the file is kept
// as it is), when the file cannot be created (the block is refused and nothing else will come) and
// when a write falls short (the file is deleted and the block refused). A block after a failure
// is refused.
//
// A later attempt of the same download (TargetOptions) may resume: the transfer asked for the
// bytes from `resumeFrom` on, and the sink appends them to the file only when the response is a
// 206 that continues it (BodyPlacement); an answer other than a 206 is the whole resource, and the
// file starts over; a 206 that does not continue the file fails the transfer before anything is
// written (Outcome() then says so and RangeUnusable() is true), for the next attempt to start
// over. With `keepPartial` a failure leaves what was written, for the next attempt to resume from;
// deleting it is then the caller's job. Touched() says whether the file was opened for writing and
// ResourceSize() the size of the resource whose bytes it holds.
//
// A job that stops waiting before the transfer has ended (a cancel, a lost network, a time limit
// that libcurl could not enforce while its worker was held) calls Abandon: the file is closed, the
// view forgotten, and every later notification is refused and changes nothing, so the service may
// be released later, on another thread, while the job deletes the file and returns.
//
// Thread-safety: OnDataChunk, OnConnected, OnResponse and OnTransferEnd run on the engine's
// transfer thread (checked: tools/ThreadChecker.h); Abandon, Completed, Failed, Ended, Touched,
// Connected and ResourceSize may be called from any thread at the same time, Outcome and
// RangeUnusable once Ended() is true or after Abandon. The view must outlive every call of
// OnDataChunk before Abandon.

#include "download/CancelSignal.h"
#include "download/Outcome.h"
#include "download/ProgressView.h"
#include "download/TargetFile.h"
#include "hftp/IObserver.h"
#include "tools/ThreadChecker.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace download {

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

class TransferSink final : public hftp::IObserver {
 public:
  // `wakeup` (may be null) is notified when the transfer has ended.
  TransferSink(std::wstring path, ProgressView* view, std::shared_ptr<Wakeup> wakeup,
               TargetOptions target = {}) noexcept;

  TransferSink(const TransferSink&) = delete;
  TransferSink& operator=(const TransferSink&) = delete;

  bool OnDataChunk(const hftp::IDataAccessor& data,
                   const hftp::IDownloadStatus& status) noexcept override;
  void OnConnected() noexcept override;
  void OnResponse(const hftp::ResponseInfo& response) noexcept override;
  void OnTransferEnd(const hftp::TransferResult& result) noexcept override;

  bool Completed() const noexcept { return completed_.load(std::memory_order_acquire); }
  bool Failed() const noexcept { return failed_.load(std::memory_order_acquire); }
  bool Ended() const noexcept { return Completed() || Failed(); }
  bool Touched() const noexcept { return touched_.load(std::memory_order_acquire); }
  // The connection stood and a request went out on it (or a response has arrived): from then on
  // the transfer waits for its server, no longer for a connection.
  bool Connected() const noexcept { return connected_.load(std::memory_order_acquire); }
  // The size of the resource whose bytes the file holds, as the response announced it; 0 or less:
  // unknown, or nothing was written.
  std::int64_t ResourceSize() const noexcept {
    return resourceSize_.load(std::memory_order_acquire);
  }
  // Stops taking notifications; see above. Returns once none runs any more.
  void Abandon() noexcept;
  // How the transfer ended; once Ended().
  DownloadOutcome Outcome() const;
  // A resumed request was answered with a range that does not continue the file.
  bool RangeUnusable() const noexcept { return rangeUnusable_; }
  // What tells the version of the resource whose bytes the file holds from another (its strong
  // ETag or Last-Modified date, hftp::ResponseInfo::validator); empty when its response had none.
  // Once the service has been released, or after Abandon.
  const std::string& FileValidator() const noexcept { return fileValidator_; }
  // The revocation checks of the servers that sent the body (hftp::ResponseInfo::revocation);
  // once Ended().
  const std::vector<std::shared_ptr<const hftp::RevocationCheck>>& RevocationChecks()
      const noexcept {
    return response_.revocation;
  }

 private:
  enum class Leftover { Delete, Keep };

  bool TakeBlock(const hftp::IDataAccessor& data) noexcept;
  // Places the body of a response announced as `total` bytes and opens the file for it; fails
  // the transfer when either cannot be done.
  bool StartFile(std::int64_t total) noexcept;
  // Fewer bytes arrived than `total` (the size the answer announced; 0 or less: unknown).
  bool MissesAnnouncedBytes(std::int64_t total) const noexcept;
  void Complete(std::int64_t total) noexcept;
  void Fail(Leftover leftover) noexcept;
  void ShowProgress(std::int64_t total) noexcept;

  // Held by every notification and by Abandon: once Abandon has returned, nothing touches the file
  // or the view again.
  std::mutex abandonMutex_;
  bool abandoned_ = false;  // guarded by abandonMutex_
  std::unique_ptr<TargetFile> file_;
  std::uint64_t received_ = 0;
  std::wstring path_;
  ProgressView* view_;
  std::shared_ptr<Wakeup> wakeup_;
  TargetOptions target_;
  hftp::ResponseInfo response_;  // the response that carries the body
  std::uint64_t appendAt_ = 0;   // where the file continues; 0: it starts over
  int shownPercent_ = 0;         // the bar starts at 0
  bool finalSeen_ = false;       // the transfer thread's: a final notification has come
  // Written before failed_ or completed_ is set, then no more.
  std::optional<hftp::TransferResult> result_;
  bool cannotWrite_ = false;  // the target could not be opened or a write fell short
  bool shortBody_ = false;    // completed with fewer bytes than the response announced
  bool rangeUnusable_ = false;
  std::string fileValidator_;
  std::atomic<bool> completed_{false};
  std::atomic<bool> failed_{false};
  std::atomic<bool> touched_{false};
  std::atomic<bool> connected_{false};
  std::atomic<std::int64_t> resourceSize_{0};
  MSK_THREAD_CHECKER(transferThread_);
};

}  // namespace download
