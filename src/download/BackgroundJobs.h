#pragma once
// Downloads that run in the background, each on a thread of its own, while the caller does other
// things; later it waits for one, asks how far one has come or cancels one.
//
//   download::BackgroundJobs jobs(factory);
//   download::BackgroundJobs::Id id = jobs.Start(request);        // 1, 2, 3 ...
//   std::optional<download::JobStatus> status = jobs.Status(id);  // state, bytes, speed
//   std::optional<download::DownloadOutcome> outcome = jobs.Wait(id, &view, cancel);
//   jobs.Cancel(other);                                           // answers once it has ended
//   jobs.CancelAll(std::chrono::seconds(1));                      // at shutdown
//
// Each job runs RunJob (download/Job.h) with its own CancelSignal and holds the engine for as long
// as it runs (download/EngineSession.h): the engine stays up while any job (or anyone else) uses
// it and goes after the last. Ids are never reused for the registry's life; an unknown id answers
// absent (or false). A job's outcome stays once it has ended, so that waiting twice answers the
// same twice.
//
// Wait relays the job's progress to `view` (ShowBytes and, when it changes, ShowPercent) about ten
// times a second from the waiting thread; raising the waiter's `cancel` cancels the job.
// Cancel and CancelAll raise the job's signal; the job then ends at once and removes its partial
// file (RunJob's rule), and Cancel returns after that. CancelAll waits at most `bound` for every
// job's thread to finish (its engine released) and answers whether they all did; the threads of
// the others are left to finish on their own. The transfers of cancelled jobs are released in the
// background (download/DeferredRelease.h). The destructor does CancelAll(kShutdownWait).
//
// Thread-safety: every member may be called from any thread at the same time, never from an
// engine thread (an observer).

#include "download/CancelSignal.h"
#include "download/Job.h"
#include "download/Outcome.h"
#include "download/ProgressText.h"
#include "download/ProgressView.h"
#include "hftp/ServiceFactory.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace download {

// How long the destructor waits for the jobs it cancels.
inline constexpr std::chrono::milliseconds kShutdownWait{900};

enum class JobState {
  Waiting,  // no byte has arrived yet
  Running,  // bytes arrive
  Done,     // ended, with an outcome
};

struct JobStatus {
  JobState state = JobState::Waiting;
  ProgressSample progress;                 // received, total, speed as the last block left them
  bool bytesKnown = false;                 // a block has arrived: progress.received counts
  std::optional<DownloadOutcome> outcome;  // once Done
};

class BackgroundJobs {
 public:
  using Id = std::uint64_t;

  explicit BackgroundJobs(std::shared_ptr<hftp::ServiceFactory> factory,
                          JobEnvironment environment = {});
  ~BackgroundJobs();
  BackgroundJobs(const BackgroundJobs&) = delete;
  BackgroundJobs& operator=(const BackgroundJobs&) = delete;

  // Starts `request` on a thread of its own; throws when no thread can be started (nothing is
  // then registered).
  Id Start(DownloadRequest request);
  std::optional<JobStatus> Status(Id id) const;
  // Blocks until the job has ended; absent for an unknown id.
  std::optional<DownloadOutcome> Wait(Id id, ProgressView* view, const CancelSignal& cancel);
  // Ends the job and returns when it has; false for an unknown id. A job that has ended already
  // keeps its outcome.
  bool Cancel(Id id);
  // Cancels every job; true when all their threads have finished within `bound`.
  bool CancelAll(std::chrono::milliseconds bound);

 private:
  class Entry;
  struct Finishing;

  std::shared_ptr<Entry> Find(Id id) const;

  const std::shared_ptr<hftp::ServiceFactory> factory_;
  const JobEnvironment environment_;
  const std::shared_ptr<Finishing> finishing_;  // told when a job's thread has finished
  mutable std::mutex mutex_;
  std::map<Id, std::shared_ptr<Entry>> jobs_;  // guarded by mutex_
  Id lastId_ = 0;                              // guarded by mutex_
};

}  // namespace download
