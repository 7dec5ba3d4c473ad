// The module context of test programs that link the user interface without the plug-in: the
// program's own executable carries the library's resource script, so it is both the resource
// instance and the skin module. Provided before main, as the plug-in provides its own at load.
#include "ui/ModuleContext.h"

#include <atomic>

namespace {

class ExecutableModule final : public ui::ModuleContext {
 public:
  ExecutableModule() noexcept { ui::module::Provide(this); }
  ~ExecutableModule() { ui::module::Provide(nullptr); }
  ExecutableModule(const ExecutableModule&) = delete;
  ExecutableModule& operator=(const ExecutableModule&) = delete;

  HINSTANCE ResourceInstance() const noexcept override { return instance_.load(); }
  HINSTANCE ExchangeResourceInstance(HINSTANCE instance) noexcept override {
    return instance_.exchange(instance);
  }
  HMODULE SkinModule() const noexcept override { return ::GetModuleHandleW(nullptr); }

 private:
  std::atomic<HINSTANCE> instance_{::GetModuleHandleW(nullptr)};
};

ExecutableModule executableModule;

}  // namespace
