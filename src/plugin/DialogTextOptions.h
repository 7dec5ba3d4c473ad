#pragma once
// The download dialog's texts as a script gives them: /CAPTION=, /HEADING= and /CANCELTEXT= on
// Download and Wait. What the script leaves out, plugin/DialogTexts.h fills in.
//
//   if (plugin::IsDialogTextOption(L"HEADING"))
//     plugin::ApplyDialogTextOption(L"HEADING", L"Getting the tools", command.look);
//
// Pure functions: thread-safe.

#include "ui/DownloadDialogLook.h"

#include <string>

namespace plugin {

// Whether `name` (the option's name in upper case, without "/") is one of the dialog's texts.
bool IsDialogTextOption(const std::wstring& name) noexcept;
// Puts `value` into `look` for option `name`; false when `name` is not one of the texts.
bool ApplyDialogTextOption(const std::wstring& name, const std::wstring& value,
                           ui::DownloadDialogLook& look);

}  // namespace plugin
