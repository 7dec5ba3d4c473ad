#pragma once
// The download dialog's texts as an installer shows them: what the script gave (/CAPTION=,
// /HEADING=, /CANCELTEXT= on Download and Wait), and for the rest the installer's own: its
// window's title, "Downloading <file name>..." and the Cancel button in the installer's language.
//
//   ui::DownloadDialogLook look = command.look;  // /CAPTION= etc. applied by the parser
//   plugin::CompleteDialogTexts(look, call.Language(), call.Parent(), command.request.path);
//   ui::RunDownloadDialog(call.Parent(), look, task);
//
// An option given empty counts as not given. The result lines stay English whatever the language:
// scripts compare them.
//
// The options themselves are read by plugin/DialogTextOptions.h.
//
// Thread-safety: CompleteDialogTexts reads the installer window's title, from the thread of the
// plug-in call.

#include "ui/DownloadDialogLook.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace plugin {

// Fills in the texts `look` leaves empty, for a download to `path` in an installer whose
// language is `language` (a LANGID; 0: unknown, English) and whose window is `installer` (null:
// none yet, as in .onInit; the dialog's own title then stays).
void CompleteDialogTexts(ui::DownloadDialogLook& look, std::uint16_t language, HWND installer,
                         const std::wstring& path);

// The last part of `path`, after its last "\" or "/".
std::wstring FileNameOf(const std::wstring& path);

}  // namespace plugin
