// The plug-in commands, called by NSIS scripts as `MarlowSetupKit::Download ...`,
// `MarlowSetupKit::Sha256 file` and `MarlowSetupKit::Signer file`: arguments from the stack, one
// result line back onto it. None lets an exception reach the host. `Download /BACKGROUND` answers
// the id of a background download (plugin/BackgroundCommands.cpp waits for it).
#include "download/CancelSignal.h"
#include "download/Job.h"
#include "plugin/BackgroundDownloads.h"
#include "plugin/DialogTexts.h"
#include "plugin/DownloadCommand.h"
#include "plugin/Exports.h"
#include "plugin/ModuleState.h"
#include "plugin/PluginCall.h"
#include "plugin/PluginServiceFactory.h"
#include "plugin/Unloading.h"
#include "tools/AuthenticodeSignature.h"
#include "tools/FileDigest.h"
#include "ui/PageProgress.h"
#include "ui/ProgressDialog.h"

#include <optional>
#include <string>
#include <vector>

namespace {

// The options, then url and path: options as long as arguments begin with "/", then two more.
std::vector<std::wstring> PopDownloadArguments(plugin::PluginCall& call) {
  std::vector<std::wstring> arguments;
  while (std::optional<std::wstring> argument = call.Pop()) {
    arguments.push_back(std::move(*argument));
    if (!plugin::IsOption(arguments.back())) break;
  }
  if (!arguments.empty() && !plugin::IsOption(arguments.back())) {
    if (std::optional<std::wstring> path = call.Pop()) arguments.push_back(std::move(*path));
  }
  return arguments;
}

download::DownloadOutcome Run(const plugin::DownloadCommand& command,
                              const plugin::PluginCall& call, bool silent) {
  const HWND parent = call.Parent();
  // This call holds the engine: its threads end with the download unless background downloads
  // still hold them.
  const download::EngineSession engine;
  const std::shared_ptr<ServiceFactory> factory = CreateServiceFactory();
  if (silent) {
    const download::CancelSignal nobodyCancels;
    return download::RunJob(command.request, *factory, nullptr, nobodyCancels);
  }
  // Stays as it is when the dialog cannot be shown at all: the download then never runs.
  download::DownloadOutcome outcome;
  outcome.detail = "the download dialog could not be shown";
  ui::DownloadDialogLook look = command.look;
  plugin::CompleteDialogTexts(look, call.Language(), parent, command.request.path);
  const ui::DownloadTask task = [&](download::ProgressView* view,
                                    const download::CancelSignal& cancel) {
    outcome = download::RunJob(command.request, *factory, view, cancel);
    return outcome.result == download::DownloadResult::Completed;
  };
  ui::RunWithProgress(parent, command.page, look, task);
  return outcome;
}

// A command that takes a file and answers one text about it: empty when there is no file argument
// or the answer throws (out of memory).
template <typename Answer>
void AnswerAboutFile(plugin::PluginCall& call, const Answer& answer) {
  call.OnUnload(&plugin::AtUnload);
  std::wstring result;
  try {
    if (const std::optional<std::wstring> file = call.Pop()) result = answer(*file);
  } catch (...) {
    result.clear();
  }
  call.Push(result);
}

}  // namespace

extern "C" {

void Download(HWND parent, int stringSize, wchar_t* variables, stack_t** stackTop,
              extra_parameters* extra) {
  plugin::PluginCall call(parent, stringSize, variables, stackTop, extra);
  call.OnUnload(&plugin::AtUnload);
  plugin::ModuleState::Instance().RecordSkinModule();
  std::wstring result;
  try {
    const plugin::ParsedDownload parsed =
        plugin::ParseDownloadArguments(PopDownloadArguments(call));
    if (!parsed.command) {
      result = parsed.error;
    } else {
      const plugin::DownloadCommand& command = *parsed.command;
      if (command.background) {
        result = plugin::background::Start(command);
      } else {
        const bool silent = command.silent || call.InstallerIsSilent();
        result = plugin::DownloadResultText(Run(command, call, silent), command);
      }
    }
  } catch (...) {
    result = L"Download failed";
  }
  call.Push(result);
}

void Sha256(HWND parent, int stringSize, wchar_t* variables, stack_t** stackTop,
            extra_parameters* extra) {
  plugin::PluginCall call(parent, stringSize, variables, stackTop, extra);
  AnswerAboutFile(call, [](const std::wstring& file) {
    const std::optional<std::string> digest = Tools::SystemTools::Sha256OfFile(file);
    return digest ? std::wstring(digest->begin(), digest->end())  // hex digits: ASCII
                  : std::wstring();
  });
}

void Signer(HWND parent, int stringSize, wchar_t* variables, stack_t** stackTop,
            extra_parameters* extra) {
  plugin::PluginCall call(parent, stringSize, variables, stackTop, extra);
  AnswerAboutFile(call, [](const std::wstring& file) {
    Tools::SystemTools::Signature signature = Tools::SystemTools::VerifyAuthenticodeSignature(file);
    return signature.verdict == Tools::SystemTools::SignatureVerdict::Verified
               ? std::move(signature.signer)
               : std::wstring();
  });
}

}  // extern "C"
