#include "tools/NetworkCheck.h"

#include <windows.h>
// windows.h first: the two headers below rely on its types.
#include <sensapi.h>
#include <wininet.h>

#include <atomic>

namespace Tools::SystemTools {
namespace {

// Only an exact TRUE counts: any other value, including a failing call, means "not connected".
bool PlatformIsNetworkAlive() {
  DWORD flags = 0;
  return ::IsNetworkAlive(&flags) == TRUE;
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

ScopedNetworkProbeOverride::ScopedNetworkProbeOverride(const NetworkProbe& probe) noexcept
    : previous_(activeProbe.exchange(&probe, std::memory_order_acq_rel)) {}

ScopedNetworkProbeOverride::~ScopedNetworkProbeOverride() {
  activeProbe.store(previous_, std::memory_order_release);
}

}  // namespace Tools::SystemTools
