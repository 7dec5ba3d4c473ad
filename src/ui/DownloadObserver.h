#pragma once
// The download's observer: writes the received bytes into the target file, keeps the progress
// view up to date and tells the waiting thread how the transfer ended.
//
//   auto observer = std::make_shared<ui::DownloadObserver>(path, &dialog);
//   auto service = factory->CreatePooledService(url, observer, nullptr, L"", L"", 0, "");
//   while (!observer->Completed() && !observer->Failed()) observer->WaitForEnd(timeout);
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
// Thread-safety: OnDataChunk runs on the engine's transfer thread; Completed, Failed and
// WaitForEnd may be called from any thread at the same time. The view must outlive every call
// of OnDataChunk.

#include "hftp/IObserver.h"
#include "tools/KernelHandle.h"
#include "ui/ProgressView.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

namespace ui {

// received x 100 / total, 0 while the total is unknown (0 or less), at most 100; exact for any
// size a file can have.
int DownloadPercent(std::uint64_t received, std::int64_t total) noexcept;

class DownloadObserver final : public hftp::IObserver {
 public:
  DownloadObserver(std::wstring path, ProgressView* view) noexcept;

  DownloadObserver(const DownloadObserver&) = delete;
  DownloadObserver& operator=(const DownloadObserver&) = delete;

  bool OnDataChunk(const hftp::IDataAccessor& data,
                   const hftp::IDownloadStatus& status) noexcept override;

  bool Completed() const noexcept { return completed_.load(std::memory_order_acquire); }
  bool Failed() const noexcept { return failed_.load(std::memory_order_acquire); }
  // Returns when the transfer has ended (either flag set) or after `timeout`, whichever is first.
  void WaitForEnd(std::chrono::milliseconds timeout) const noexcept;

 private:
  enum class Leftover { Delete, Keep };

  bool TakeBlock(const hftp::IDataAccessor& data) noexcept;
  bool OpenFile() noexcept;
  // Fewer bytes arrived than `total` (the size the answer announced; 0 or less: unknown).
  bool MissesAnnouncedBytes(std::int64_t total) const noexcept;
  void Complete() noexcept;
  void Fail(Leftover leftover) noexcept;
  void ShowProgress(std::int64_t total) noexcept;

  Tools::KernelHandle file_;
  std::uint64_t received_ = 0;
  std::wstring path_;
  ProgressView* view_;
  int shownPercent_ = 0;  // the bar starts at 0
  std::atomic<bool> completed_{false};
  std::atomic<bool> failed_{false};
  Tools::KernelHandle ended_;  // manual-reset event, set with either flag
};

}  // namespace ui
