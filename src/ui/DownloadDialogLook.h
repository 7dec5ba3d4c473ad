#pragma once
// How the download dialog looks for one download: which parts it has and the texts it shows. The
// plug-in's commands fill it from their options (portable code, so that their parsers build and
// are fuzzed natively); ui/ProgressDialog.h shows it.
//
//   ui::DownloadDialogLook look;
//   look.textLine = look.cancelButton = true;
//   look.heading = L"Downloading setup.exe...";
//   look.words = &download::TranslationFor(1031);  // German words in the text line
//
// A plain value: thread rules are those of its owner.

#include "download/Translations.h"

#include <string>

namespace ui {

struct DownloadDialogLook {
  bool textLine = false;
  std::wstring textPattern;  // download::ProgressText's pattern; empty: the default wording
  bool cancelButton = false;
  bool marquee = false;
  std::wstring caption;     // the title; empty: the template's
  std::wstring heading;     // the line above the bar; empty: "Downloading Velmar..."
  std::wstring cancelText;  // empty: the language's word for Cancel
  const download::Translation* words = &download::English();  // never null
};

}  // namespace ui
