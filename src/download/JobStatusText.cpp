#include "download/JobStatusText.h"

namespace download {
namespace {

const wchar_t* StateName(JobState state) noexcept {
  switch (state) {
    case JobState::Waiting:
      return L"waiting";
    case JobState::Running:
      return L"running";
    case JobState::Done:
      break;
  }
  return L"done";
}

}  // namespace

std::wstring JobStatusText(const std::wstring& pattern, const JobStatus& status,
                           const std::wstring& result) {
  const std::wstring received =
      status.bytesKnown ? std::to_wstring(status.progress.received) : std::wstring();
  const std::wstring total =
      status.progress.total > 0 ? std::to_wstring(status.progress.total) : std::wstring();
  const struct {
    const wchar_t* name;
    std::wstring value;
  } kOwn[] = {
      {L"@STATE@", StateName(status.state)},
      {L"@RESULT@", status.state == JobState::Done ? result : std::wstring()},
      {L"@RECEIVED_B@", received},
      {L"@TOTAL_B@", total},
  };
  // The pattern between our placeholders goes through the progress text as it stands, so that
  // no value we fill in is read as a placeholder.
  std::wstring text;
  std::wstring plain;
  const auto flushPlain = [&] {
    if (!plain.empty()) text += ProgressText(plain, status.progress);
    plain.clear();
  };
  std::size_t at = 0;
  while (at < pattern.size()) {
    bool replaced = false;
    for (const auto& own : kOwn) {
      const std::wstring name = own.name;
      if (pattern.compare(at, name.size(), name) == 0) {
        flushPlain();
        text += own.value;
        at += name.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) plain += pattern[at++];
  }
  flushPlain();
  return text;
}

}  // namespace download
