#pragma once
// The installer's background downloads (`MarlowSetupKit::Download /BACKGROUND ...`): one registry
// of jobs (download/BackgroundJobs.h) for as long as the library stays loaded, each job with the
// command it was started by, so that Wait and Query answer in that command's words.
//
//   std::wstring id = plugin::background::Start(command);        // L"1"
//   if (std::optional<plugin::background::Job> job = plugin::background::Find(L"1")) {
//     job->jobs->Wait(job->id, nullptr, cancel);
//   }
//   plugin::background::ShutDown();                               // NSIS unloads the library
//
// An id is a positive decimal number, unique for the library's life; Find answers absent for any
// text that names no job. ShutDown cancels every job (each removes its partial file) and waits
// for them at most download::kShutdownWait; a job that has not ended by then still runs this
// library's code, so the library pins itself in the process rather than be unloaded under it.
//
// Thread-safety: any thread (NSIS calls plug-in commands from page callbacks on its user-interface
// thread and from sections on its install thread).

#include "download/BackgroundJobs.h"
#include "plugin/DownloadCommand.h"

#include <memory>
#include <optional>
#include <string>

namespace plugin::background {

struct Job {
  std::shared_ptr<download::BackgroundJobs> jobs;
  download::BackgroundJobs::Id id = 0;
  DownloadCommand command;  // as it was started
};

// Starts `command` in the background and answers its id; throws when it cannot be started.
std::wstring Start(const DownloadCommand& command);
std::optional<Job> Find(const std::wstring& id);
// True when no job was left running (or there were none); false when one did not end in time and
// the library stays pinned for it.
bool ShutDown() noexcept;

}  // namespace plugin::background
