#include "tools/detail/CodePageApi.h"

#include "tools/ForTesting.h"

#include <atomic>

namespace Tools::StringTools::detail {
namespace {
std::atomic<const CodePageApi*> active{nullptr};
}  // namespace

const CodePageApi& ActiveCodePageApi() noexcept {
  const CodePageApi* api = active.load(std::memory_order_acquire);
  return api != nullptr ? *api : PlatformCodePageApi();
}

ScopedCodePageApiOverrideForTesting::ScopedCodePageApiOverrideForTesting(
    const CodePageApi& replacement) noexcept
    : previous_(active.exchange(&replacement, std::memory_order_acq_rel)) {}

ScopedCodePageApiOverrideForTesting::~ScopedCodePageApiOverrideForTesting() {
  active.store(previous_, std::memory_order_release);
}

}  // namespace Tools::StringTools::detail
