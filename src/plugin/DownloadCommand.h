#pragma once
// What `MarlowSetupKit::Download [options] url path` asks for, read from its arguments in the
// order the script wrote them, and the one line it answers with.
//
//   std::vector<std::wstring> arguments = {L"/RETRY=3", L"/sha256=9F86...", L"http://x/y",
//   L"C:\\y"}; plugin::ParsedDownload parsed = plugin::ParseDownloadArguments(arguments); if
//   (!parsed.command) call.Push(parsed.error);   // e.g. "Unknown option /FOO"
//
// Options come first and begin with "/"; their names are matched in any case; a value follows
// "=" (NSIS passes "/HEADER=X-A: b" as one argument when the script quotes it). An option given
// twice counts once, the last time, except /HEADER and /SIGNER, which add a line or a name each
// time. The defaults are
// those of the README: /RETRY=0, /STALL=30, /CONNECTTIMEOUT=30, /TIMEOUT=0 (none),
// /USERAGENT=MarlowSetupKit/<version>, the system's proxy (none of our own), no checksum, the
// default text line, the installer's title, heading and Cancel text (plugin/DialogTextOptions.h, plugin/DialogTexts.h).
//
// Pure functions: thread-safe.

#include "download/Job.h"
#include "download/Outcome.h"
#include "ui/DownloadDialogLook.h"

#include <optional>
#include <string>
#include <vector>

namespace plugin {

struct DownloadCommand {
  download::DownloadRequest request;  // url, path, retries, checksum and the transfer's options
  bool silent = false;                // /SILENT: no window at all
  bool background = false;            // /BACKGROUND: start it, answer its id, wait later
  bool page = false;                  // /PAGE: on the instfiles page where there is one
  ui::DownloadDialogLook look;        // the text line always; /CANCEL adds the button
};

struct ParsedDownload {
  std::optional<DownloadCommand> command;
  std::wstring error;  // when there is no command: the result line that says why
};

// Whether an argument is an option (it begins with "/").
bool IsOption(const std::wstring& argument) noexcept;

// `arguments`: the options, then url and path (anything after them is not looked at).
ParsedDownload ParseDownloadArguments(const std::vector<std::wstring>& arguments);

// The result line for `outcome` of `command`: "OK", "HTTP 404", "Cancelled", ...
std::wstring DownloadResultText(const download::DownloadOutcome& outcome,
                                const DownloadCommand& command);

}  // namespace plugin
