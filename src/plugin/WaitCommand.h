#pragma once
// What `MarlowSetupKit::Wait [/SILENT] [/PAGE] [/CANCEL] [/TEXT=pattern] [/CAPTION=text]
// [/HEADING=text] [/CANCELTEXT=text] id` asks for, read from its arguments in the order the script
// wrote them.
//
//   plugin::ParsedWait parsed = plugin::ParseWaitArguments({L"/CANCEL", L"3"});
//   if (!parsed.command) call.Push(parsed.error);   // e.g. "Unknown option /FOO"
//
// Option names are matched in any case, as the Download command's are; /SILENT, /PAGE and /CANCEL
// take no value, /TEXT one (which may be empty: the default wording), and so do the dialog's texts
// (plugin/DialogTextOptions.h).
//
// Pure functions: thread-safe.

#include "ui/DownloadDialogLook.h"

#include <optional>
#include <string>
#include <vector>

namespace plugin {

struct WaitCommand {
  std::wstring id;
  bool silent = false;          // /SILENT: no window at all
  bool page = false;            // /PAGE: on the instfiles page where there is one
  ui::DownloadDialogLook look;  // the text line always; /CANCEL adds the button
};

struct ParsedWait {
  std::optional<WaitCommand> command;
  std::wstring error;  // when there is no command: the result line that says why
};

// `arguments`: the options, then the id (anything after it is not looked at).
ParsedWait ParseWaitArguments(const std::vector<std::wstring>& arguments);

}  // namespace plugin
