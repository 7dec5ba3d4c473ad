#include "download/BackgroundJobs.h"

#include "download/EngineSession.h"
#include "download/TransferRate.h"

#include <atomic>
#include <cmath>
#include <thread>
#include <utility>
#include <vector>

namespace download {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// How often a waiter hands the job's progress on, and how often the job measures its speed.
constexpr milliseconds kRelayInterval{100};
constexpr milliseconds kRateInterval{250};

}  // namespace

// One job: its request, its signal, its progress as the transfer thread leaves it, its outcome.
class BackgroundJobs::Entry final : public ProgressView {
 public:
  explicit Entry(DownloadRequest request) : request_(std::move(request)) {}

  const DownloadRequest& Request() const noexcept { return request_; }
  CancelSignal& Cancel() noexcept { return cancel_; }
  Wakeup& Changed() noexcept { return changed_; }

  // The transfer thread's: ShowPercent and ShowBytes.
  void ShowPercent(int percent) noexcept override {
    percent_.store(percent, std::memory_order_relaxed);
  }
  void ShowBytes(std::uint64_t received, std::int64_t total) noexcept override {
    received_.store(received, std::memory_order_relaxed);
    total_.store(total, std::memory_order_relaxed);
    bytesKnown_.store(true, std::memory_order_release);
    const auto now =
        std::chrono::duration_cast<milliseconds>(steady_clock::now().time_since_epoch());
    if (now - lastSample_ < kRateInterval) return;
    lastSample_ = now;
    try {
      rate_.Add(now, received);
      const std::optional<double> speed = rate_.BytesPerSecond();
      speed_.store(speed ? std::llround(*speed) : -1, std::memory_order_relaxed);
    } catch (...) {
      // No memory for the sample: the speed stays as it was.
    }
  }

  void Finish(const DownloadOutcome& outcome) {
    {
      const std::lock_guard<std::mutex> lock(outcomeMutex_);
      outcome_ = outcome;
    }
    done_.store(true, std::memory_order_release);
    changed_.Notify();
  }
  bool Done() const noexcept { return done_.load(std::memory_order_acquire); }
  DownloadOutcome Outcome() const {
    const std::lock_guard<std::mutex> lock(outcomeMutex_);
    return outcome_;
  }

  JobStatus Status() const {
    JobStatus status;
    const bool done = Done();  // before the bytes: a done job's counts are its last
    status.bytesKnown = bytesKnown_.load(std::memory_order_acquire);
    status.progress.received = received_.load(std::memory_order_relaxed);
    status.progress.total = total_.load(std::memory_order_relaxed);
    const long long speed = speed_.load(std::memory_order_relaxed);
    if (speed >= 0) status.progress.bytesPerSecond = static_cast<double>(speed);
    if (done) {
      status.state = JobState::Done;
      status.outcome = Outcome();
    } else {
      status.state = status.bytesKnown ? JobState::Running : JobState::Waiting;
    }
    return status;
  }

  // Hands the progress on to `view`; `shownPercent` is the last percentage it was given.
  void Relay(ProgressView& view, int& shownPercent) const noexcept {
    if (bytesKnown_.load(std::memory_order_acquire)) {
      view.ShowBytes(received_.load(std::memory_order_relaxed),
                     total_.load(std::memory_order_relaxed));
    }
    const int percent = percent_.load(std::memory_order_relaxed);
    if (percent != shownPercent) {
      view.ShowPercent(percent);
      shownPercent = percent;
    }
  }

  // Blocks until the job has ended.
  void AwaitEnd() {
    while (!changed_.WaitFor(kRelayInterval, [this] { return Done(); })) {
    }
  }

  std::thread thread;                       // the registry's, under its lock
  std::atomic<bool> threadFinished{false};  // the engine is released; join returns at once

 private:
  const DownloadRequest request_;
  CancelSignal cancel_;
  Wakeup changed_;  // told when the job has ended
  std::atomic<int> percent_{0};
  std::atomic<std::uint64_t> received_{0};
  std::atomic<std::int64_t> total_{0};
  std::atomic<bool> bytesKnown_{false};
  // Bytes a second, whole (an atomic double is no lock-free field on every target); negative: not
  // measured yet.
  std::atomic<long long> speed_{-1};
  // The transfer thread's.
  TransferRate rate_;
  milliseconds lastSample_{0};
  mutable std::mutex outcomeMutex_;
  DownloadOutcome outcome_;  // guarded by outcomeMutex_; valid once done_
  std::atomic<bool> done_{false};
};

struct BackgroundJobs::Finishing {
  Wakeup wakeup;
};

BackgroundJobs::BackgroundJobs(std::shared_ptr<hftp::ServiceFactory> factory,
                               JobEnvironment environment)
    : factory_(std::move(factory)),
      environment_(std::move(environment)),
      finishing_(std::make_shared<Finishing>()) {}

BackgroundJobs::~BackgroundJobs() {
  CancelAll(kShutdownWait);
  const std::lock_guard<std::mutex> lock(mutex_);
  // A thread that did not finish in time holds its entry and ends on its own.
  for (auto& job : jobs_) {
    if (job.second->thread.joinable()) job.second->thread.detach();
  }
}

BackgroundJobs::Id BackgroundJobs::Start(DownloadRequest request) {
  auto entry = std::make_shared<Entry>(std::move(request));
  const std::lock_guard<std::mutex> lock(mutex_);
  const Id id = lastId_ + 1;
  jobs_.emplace(id, entry);
  try {
    entry->thread = std::thread(
        [entry, factory = factory_, environment = environment_, finishing = finishing_]() noexcept {
          {
            const EngineSession engine;  // the last job to end takes the engine with it
            const DownloadOutcome outcome =
                RunJob(entry->Request(), *factory, entry.get(), entry->Cancel(), environment);
            try {
              entry->Finish(outcome);
            } catch (...) {
              entry->Finish(DownloadOutcome());  // a failure: no memory to copy the outcome's text
            }
          }
          entry->threadFinished.store(true, std::memory_order_release);
          finishing->wakeup.Notify();
        });
  } catch (...) {
    jobs_.erase(id);
    throw;
  }
  lastId_ = id;
  return id;
}

std::shared_ptr<BackgroundJobs::Entry> BackgroundJobs::Find(Id id) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto found = jobs_.find(id);
  return found == jobs_.end() ? nullptr : found->second;
}

std::optional<JobStatus> BackgroundJobs::Status(Id id) const {
  const std::shared_ptr<Entry> entry = Find(id);
  if (!entry) return std::nullopt;
  return entry->Status();
}

std::optional<DownloadOutcome> BackgroundJobs::Wait(Id id, ProgressView* view,
                                                    const CancelSignal& cancel) {
  const std::shared_ptr<Entry> entry = Find(id);
  if (!entry) return std::nullopt;
  int shownPercent = 0;  // the bar starts at 0
  {
    const CancelSignal::Listening listening(cancel, entry->Changed());
    const auto ended = [&] { return entry->Done() || cancel.IsRaised(); };
    while (!ended()) {
      if (view != nullptr) entry->Relay(*view, shownPercent);
      entry->Changed().WaitFor(kRelayInterval, ended);
    }
  }
  if (!entry->Done()) {
    entry->Cancel().Raise();
    entry->AwaitEnd();
  }
  if (view != nullptr) entry->Relay(*view, shownPercent);
  return entry->Outcome();
}

bool BackgroundJobs::Cancel(Id id) {
  const std::shared_ptr<Entry> entry = Find(id);
  if (!entry) return false;
  entry->Cancel().Raise();
  entry->AwaitEnd();
  return true;
}

bool BackgroundJobs::CancelAll(milliseconds bound) {
  std::vector<std::shared_ptr<Entry>> entries;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& job : jobs_) entries.push_back(job.second);
  }
  for (const auto& entry : entries) entry->Cancel().Raise();
  const auto allFinished = [&] {
    for (const auto& entry : entries) {
      if (!entry->threadFinished.load(std::memory_order_acquire)) return false;
    }
    return true;
  };
  const bool finished = finishing_->wakeup.WaitFor(bound, allFinished);
  const std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& entry : entries) {
    if (entry->threadFinished.load(std::memory_order_acquire) && entry->thread.joinable()) {
      entry->thread.join();
    }
  }
  return finished;
}

}  // namespace download
