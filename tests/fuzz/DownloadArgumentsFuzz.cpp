// Fuzzes what `MarlowSetupKit::Download` makes of its arguments, and the result line it answers.
//
// Input: the arguments, separated by 0x00 bytes, each a UTF-16 text (2 bytes a code unit, any
// value: lone surrogates included); the last two bytes of the input choose the outcome whose
// result line is made.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "download/Outcome.h"
#include "plugin/DownloadCommand.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

// A result is one line: scripts compare and log it.
bool IsOneLine(const std::wstring& text) {
  for (const wchar_t c : text) {
    if (c < 0x20 || c == 0x7F || c == 0x85 || c == 0x2028 || c == 0x2029) return false;
  }
  return true;
}

std::vector<std::wstring> ArgumentsOf(const std::uint8_t* data, std::size_t size) {
  std::vector<std::wstring> arguments(1);
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    const auto unit = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0) {
      arguments.emplace_back();
    } else {
      arguments.back().push_back(unit);
    }
  }
  return arguments;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::vector<std::wstring> arguments = ArgumentsOf(data, size - 2);
  const plugin::ParsedDownload parsed = plugin::ParseDownloadArguments(arguments);
  if (!parsed.command) {
    Require(!parsed.error.empty() && IsOneLine(parsed.error));
    // A refused value is never echoed: the line names the option alone.
    if (parsed.error.rfind(L"Invalid option /", 0) == 0) {
      Require(parsed.error.find(L'=') == std::wstring::npos);
    }
    return 0;
  }
  const plugin::DownloadCommand& command = *parsed.command;
  Require(!command.request.url.empty() && !command.request.path.empty());
  Require(command.request.retries >= 0);
  Require(command.request.sha256.empty() || command.request.sha256.size() == 64);

  download::DownloadOutcome outcome;
  outcome.result = static_cast<download::DownloadResult>(
      data[size - 2] % (static_cast<int>(download::DownloadResult::Failed) + 1));
  outcome.httpStatus = data[size - 1] * 3;
  // The detail is the engine's text: any bytes, line breaks included.
  outcome.detail.assign(reinterpret_cast<const char*>(data), size > 64 ? 64 : size);
  Require(IsOneLine(plugin::DownloadResultText(outcome, command)));
  return 0;
}
