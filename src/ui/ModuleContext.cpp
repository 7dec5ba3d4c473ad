#include "ui/ModuleContext.h"

#include <atomic>

namespace ui::module {
namespace {

// Constant-initialised, so a context may be provided from another file's static initialiser.
std::atomic<ModuleContext*> provided{nullptr};

}  // namespace

void Provide(ModuleContext* context) noexcept {
  provided.store(context, std::memory_order_release);
}

HINSTANCE ResourceInstance() noexcept {
  const ModuleContext* const context = provided.load(std::memory_order_acquire);
  return context != nullptr ? context->ResourceInstance() : nullptr;
}

HINSTANCE ExchangeResourceInstance(HINSTANCE instance) noexcept {
  ModuleContext* const context = provided.load(std::memory_order_acquire);
  return context != nullptr ? context->ExchangeResourceInstance(instance) : nullptr;
}

HMODULE SkinModule() noexcept {
  const ModuleContext* const context = provided.load(std::memory_order_acquire);
  return context != nullptr ? context->SkinModule() : nullptr;
}

}  // namespace ui::module
