#pragma once
// Whether the machine has a network connection: both IsNetworkAlive (System Event Notification)
// and InternetGetConnectedState (WinINet) must say so. Nothing is cached; every call asks anew.
//
// Thread-safety: may run on any thread. The probe override is for tests and must not change while
// a check runs.

namespace Tools::SystemTools {

bool IsInternetConnected() noexcept;

// The two platform checks, each answering exactly what the platform call returned as TRUE/FALSE.
struct NetworkProbe {
  bool (*isNetworkAlive)();
  bool (*internetGetConnectedState)();
};

// Replaces the platform checks for the lifetime of the object (tests only).
class ScopedNetworkProbeOverride {
 public:
  explicit ScopedNetworkProbeOverride(const NetworkProbe& probe) noexcept;
  ~ScopedNetworkProbeOverride();
  ScopedNetworkProbeOverride(const ScopedNetworkProbeOverride&) = delete;
  ScopedNetworkProbeOverride& operator=(const ScopedNetworkProbeOverride&) = delete;

 private:
  const NetworkProbe* previous_;
};

}  // namespace Tools::SystemTools
