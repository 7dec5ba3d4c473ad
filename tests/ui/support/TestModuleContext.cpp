// ui::module for test programs that link the user interface without the plug-in: the program's own
// executable carries the library's resource script, so it is both the resource instance and the
// skin module.
#include "ui/ModuleContext.h"

#include <atomic>

namespace ui::module {
namespace {

std::atomic<HINSTANCE>& Instance() noexcept {
  static std::atomic<HINSTANCE> instance{::GetModuleHandleW(nullptr)};
  return instance;
}

}  // namespace

HINSTANCE ResourceInstance() noexcept {
  return Instance().load();
}

HINSTANCE ExchangeResourceInstance(HINSTANCE instance) noexcept {
  return Instance().exchange(instance);
}

HMODULE SkinModule() noexcept {
  return ::GetModuleHandleW(nullptr);
}

}  // namespace ui::module
