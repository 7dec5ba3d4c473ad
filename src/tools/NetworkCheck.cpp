#include "tools/NetworkCheck.h"

#include "tools/ForTesting.h"

#include <windows.h>
// windows.h first: wininet.h relies on its types.
#include <wininet.h>

#include <atomic>

namespace Tools::SystemTools {
namespace {

// Only an exact TRUE counts: any other value, including a failing call, means "not connected".
// sensapi.dll is looked up when first needed: the i686 toolchain ships no import library for it,
// and the library then loads nothing at start-up that only the download needs.
using IsNetworkAliveFn = BOOL(WINAPI*)(LPDWORD);

IsNetworkAliveFn ResolveIsNetworkAlive() {
  const HMODULE sensapi = ::LoadLibraryW(L"sensapi.dll");
  return sensapi != nullptr ? reinterpret_cast<IsNetworkAliveFn>(reinterpret_cast<void*>(
                                  ::GetProcAddress(sensapi, "IsNetworkAlive")))
                            : nullptr;
}

bool PlatformIsNetworkAlive() {
  static const IsNetworkAliveFn isNetworkAlive = ResolveIsNetworkAlive();
  DWORD flags = 0;
  return isNetworkAlive != nullptr && isNetworkAlive(&flags) == TRUE;
}

bool PlatformInternetGetConnectedState() {
  DWORD state = 0;
  return ::InternetGetConnectedState(&state, 0) == TRUE;
}

constexpr NetworkProbe kPlatformProbe{&PlatformIsNetworkAlive, &PlatformInternetGetConnectedState};
std::atomic<const NetworkProbe*> activeProbe{&kPlatformProbe};

}  // namespace

bool IsInternetConnected() noexcept {
  const NetworkProbe& probe = *activeProbe.load(std::memory_order_acquire);
  // The second check only runs when the first one reported a connection.
  return probe.isNetworkAlive() && probe.internetGetConnectedState();
}

ScopedNetworkProbeOverrideForTesting::ScopedNetworkProbeOverrideForTesting(
    const NetworkProbe& probe) noexcept
    : previous_(activeProbe.exchange(&probe, std::memory_order_acq_rel)) {}

ScopedNetworkProbeOverrideForTesting::~ScopedNetworkProbeOverrideForTesting() {
  activeProbe.store(previous_, std::memory_order_release);
}

}  // namespace Tools::SystemTools
