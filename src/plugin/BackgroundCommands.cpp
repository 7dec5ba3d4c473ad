// The plug-in commands for background downloads (`MarlowSetupKit::Download /BACKGROUND` starts
// them): Wait for one behind the download dialog (or on the instfiles page), Query its state,
// Cancel it. Each pops its arguments, pushes one line, and lets no exception reach the host.
#include "download/CancelSignal.h"
#include "download/JobStatusText.h"
#include "plugin/BackgroundDownloads.h"
#include "plugin/DialogTexts.h"
#include "plugin/DownloadCommand.h"
#include "plugin/Exports.h"
#include "plugin/ModuleState.h"
#include "plugin/PluginCall.h"
#include "plugin/Unloading.h"
#include "plugin/WaitCommand.h"
#include "ui/PageProgress.h"
#include "ui/ProgressDialog.h"

#include <optional>
#include <string>
#include <vector>

namespace {

using plugin::background::Job;

std::wstring UnknownId(const std::wstring& id) {
  return L"Unknown id " + id;
}

// The options, then the id.
std::vector<std::wstring> PopWaitArguments(plugin::PluginCall& call) {
  std::vector<std::wstring> arguments;
  while (std::optional<std::wstring> argument = call.Pop()) {
    arguments.push_back(std::move(*argument));
    if (!plugin::IsOption(arguments.back())) break;
  }
  return arguments;
}

// The job's outcome, behind the download dialog unless `silent` or the job has ended already.
download::DownloadOutcome AwaitJob(const Job& job, const plugin::WaitCommand& wait,
                                   const plugin::PluginCall& call, bool silent) {
  const HWND parent = call.Parent();
  const download::CancelSignal nobodyCancels;
  const std::optional<download::JobStatus> status = job.jobs->Status(job.id);
  if (!silent && status && status->state != download::JobState::Done) {
    std::optional<download::DownloadOutcome> outcome;
    ui::DownloadDialogLook look = wait.look;
    plugin::CompleteDialogTexts(look, call.Language(), parent, job.command.request.path);
    const ui::DownloadTask task = [&](download::ProgressView* view,
                                      const download::CancelSignal& cancel) {
      outcome = job.jobs->Wait(job.id, view, cancel);
      return outcome && outcome->result == download::DownloadResult::Completed;
    };
    ui::RunWithProgress(parent, wait.page, look, task);
    if (outcome) return *outcome;
    // The dialog could not be shown: the download runs on all the same.
  }
  return job.jobs->Wait(job.id, nullptr, nobodyCancels).value_or(download::DownloadOutcome());
}

std::wstring WaitResult(plugin::PluginCall& call) {
  const plugin::ParsedWait parsed = plugin::ParseWaitArguments(PopWaitArguments(call));
  if (!parsed.command) return parsed.error;
  const plugin::WaitCommand& wait = *parsed.command;
  const std::optional<Job> job = plugin::background::Find(wait.id);
  if (!job) return UnknownId(wait.id);
  const bool silent = wait.silent || call.InstallerIsSilent();
  return plugin::DownloadResultText(AwaitJob(*job, wait, call, silent), job->command);
}

std::wstring QueryResult(plugin::PluginCall& call) {
  const std::wstring id = call.Pop().value_or(L"");
  const std::wstring pattern = call.Pop().value_or(L"");
  const std::optional<Job> job = plugin::background::Find(id);
  if (!job) return UnknownId(id);
  const std::optional<download::JobStatus> status = job->jobs->Status(job->id);
  if (!status) return UnknownId(id);
  const std::wstring result =
      status->outcome ? plugin::DownloadResultText(*status->outcome, job->command) : L"";
  return download::JobStatusText(pattern, *status, result);
}

std::wstring CancelResult(plugin::PluginCall& call) {
  const std::wstring id = call.Pop().value_or(L"");
  const std::optional<Job> job = plugin::background::Find(id);
  if (!job || !job->jobs->Cancel(job->id)) return UnknownId(id);
  return L"OK";
}

// One command: the call set up, `answer` run, its line pushed; a failure pushes `failed`.
template <typename Respond>
void Answer(HWND parent, int stringSize, wchar_t* variables, stack_t** stackTop,
            extra_parameters* extra, Respond answer, const wchar_t* failed) {
  plugin::PluginCall call(parent, stringSize, variables, stackTop, extra);
  call.OnUnload(&plugin::AtUnload);
  plugin::ModuleState::Instance().RecordSkinModule();
  std::wstring result;
  try {
    result = answer(call);
  } catch (...) {
    result = failed;
  }
  call.Push(result);
}

}  // namespace

extern "C" {

void Wait(HWND parent, int stringSize, wchar_t* variables, stack_t** stackTop,
          extra_parameters* extra) {
  Answer(parent, stringSize, variables, stackTop, extra, &WaitResult, L"Download failed");
}

void Query(HWND parent, int stringSize, wchar_t* variables, stack_t** stackTop,
           extra_parameters* extra) {
  Answer(parent, stringSize, variables, stackTop, extra, &QueryResult, L"");
}

void Cancel(HWND parent, int stringSize, wchar_t* variables, stack_t** stackTop,
            extra_parameters* extra) {
  Answer(parent, stringSize, variables, stackTop, extra, &CancelResult, L"Unknown id");
}

}  // extern "C"
