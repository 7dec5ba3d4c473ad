#include "plugin/PluginCall.h"

#include "plugin/ModuleState.h"

#include <vector>

namespace plugin {

PluginCall::PluginCall(HWND parent, int stringSize, wchar_t* variables, stack_t** stackTop,
                       extra_parameters* extra) noexcept
    : parent_(parent), stringSize_(stringSize), variables_(variables), extra_(extra) {
  MSK_CHECK_THREAD(callingThread_);
  // The plug-in API's globals, as its EXDLL_INIT sets them.
  g_stringsize = stringSize > 0 ? static_cast<unsigned int>(stringSize) : 0;
  g_stacktop = stackTop;
  g_variables = variables;
}

std::optional<std::wstring> PluginCall::Pop() {
  MSK_CHECK_THREAD(callingThread_);
  if (g_stacktop == nullptr || *g_stacktop == nullptr || stringSize_ <= 0) return std::nullopt;
  std::vector<wchar_t> buffer(static_cast<std::size_t>(stringSize_) + 1, L'\0');
  if (popstringn(buffer.data(), stringSize_) != 0) return std::nullopt;
  return std::wstring(buffer.data());
}

void PluginCall::Push(const std::wstring& text) noexcept {
  MSK_CHECK_THREAD(callingThread_);
  if (stringSize_ <= 0) return;  // no string can be handed over
  try {
    pushstring(FitToStringSize(text, stringSize_).c_str());
  } catch (...) {
    pushstring(L"");  // out of memory for the copy: still one result on the stack
  }
}

bool PluginCall::InstallerIsSilent() const noexcept {
  MSK_CHECK_THREAD(callingThread_);
  return extra_ != nullptr && extra_->exec_flags != nullptr && extra_->exec_flags->silent != 0;
}

std::uint16_t PluginCall::Language() const noexcept {
  MSK_CHECK_THREAD(callingThread_);
  if (variables_ == nullptr || stringSize_ <= 0) return 0;
  // NSIS keeps its variables as strings of the string size each, $LANGUAGE among them.
  const wchar_t* text =
      variables_ + static_cast<std::size_t>(INST_LANG) * static_cast<std::size_t>(stringSize_);
  unsigned long language = 0;
  for (int at = 0; at < stringSize_ && text[at] != L'\0'; ++at) {
    if (text[at] < L'0' || text[at] > L'9') return 0;
    language = language * 10 + static_cast<unsigned long>(text[at] - L'0');
    if (language > 0xFFFF) return 0;
  }
  return static_cast<std::uint16_t>(language);
}

bool PluginCall::OnUnload(NSISPLUGINCALLBACK callback) const noexcept {
  MSK_CHECK_THREAD(callingThread_);
  if (extra_ == nullptr || extra_->RegisterPluginCallback == nullptr) return false;
  const HMODULE module = ModuleState::Instance().ResourceInstance();
  return extra_->RegisterPluginCallback(module, callback) >= 0;
}

std::wstring FitToStringSize(const std::wstring& text, int stringSize) {
  if (stringSize <= 1) return std::wstring();
  const auto room = static_cast<std::size_t>(stringSize - 1);
  if (text.size() <= room) return text;
  std::size_t length = room;
  // Half a surrogate pair is no character: leave the high half out with the low one.
  if (text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF) --length;
  return text.substr(0, length);
}

}  // namespace plugin
