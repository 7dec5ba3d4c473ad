#include "plugin/WaitCommand.h"

#include "plugin/DialogTextOptions.h"
#include "plugin/DownloadCommand.h"

#include <cwctype>

namespace plugin {
namespace {

ParsedWait Error(std::wstring text) {
  ParsedWait parsed;
  parsed.error = std::move(text);
  return parsed;
}

}  // namespace

ParsedWait ParseWaitArguments(const std::vector<std::wstring>& arguments) {
  WaitCommand command;
  command.look.textLine = true;
  command.look.marquee = true;
  std::size_t next = 0;
  for (; next < arguments.size() && IsOption(arguments[next]); ++next) {
    const std::wstring& argument = arguments[next];
    const auto equals = argument.find(L'=');
    std::wstring name = argument.substr(1, equals == std::wstring::npos ? equals : equals - 1);
    for (wchar_t& c : name) c = static_cast<wchar_t>(std::towupper(c));
    const bool valued = equals != std::wstring::npos;
    if (name == L"SILENT" || name == L"PAGE" || name == L"CANCEL") {
      if (valued) return Error(L"Invalid option " + argument);
      (name == L"SILENT" ? command.silent
       : name == L"PAGE" ? command.page
                         : command.look.cancelButton) = true;
    } else if (name == L"TEXT") {
      if (!valued) return Error(L"Invalid option " + argument);
      command.look.textPattern = argument.substr(equals + 1);
    } else if (IsDialogTextOption(name)) {
      if (!valued) return Error(L"Invalid option " + argument);
      ApplyDialogTextOption(name, argument.substr(equals + 1), command.look);
    } else {
      return Error(L"Unknown option " + argument.substr(0, equals));
    }
  }
  if (next == arguments.size()) return Error(L"Missing id");
  command.id = arguments[next];
  ParsedWait parsed;
  parsed.command = std::move(command);
  return parsed;
}

}  // namespace plugin
