#pragma once
// Whether the machine has a network connection: both IsNetworkAlive (System Event Notification)
// and InternetGetConnectedState (WinINet) must say so. Nothing is cached; every call asks anew.
//
// Tests may replace the two platform checks with ScopedNetworkProbeOverrideForTesting
// (tools/ForTesting.h).
//
// Thread-safety: may run on any thread.

namespace Tools::SystemTools {

bool IsInternetConnected() noexcept;

}  // namespace Tools::SystemTools
