#include "plugin/DialogTextOptions.h"

namespace plugin {

bool IsDialogTextOption(const std::wstring& name) noexcept {
  return name == L"CAPTION" || name == L"HEADING" || name == L"CANCELTEXT";
}

bool ApplyDialogTextOption(const std::wstring& name, const std::wstring& value,
                           ui::DownloadDialogLook& look) {
  if (!IsDialogTextOption(name)) return false;
  (name == L"CAPTION" ? look.caption : name == L"HEADING" ? look.heading : look.cancelText) = value;
  return true;
}

}  // namespace plugin
