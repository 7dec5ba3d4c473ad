#include "tools/NetworkCheck.h"

#include "tools/ForTesting.h"

#include <windows.h>

#include <atomic>
#include <cwchar>
#include <iterator>

namespace Tools::SystemTools {
namespace {

// Only an exact TRUE counts: any other value, including a failing call, means "not connected".
// Both libraries are loaded when the network is first asked, not with this library: the i686
// toolchain ships no import library for sensapi.dll, and wininet.dll would cost every installer
// that loads the library its loading (a few milliseconds, more under wine), though only a download
// that asks the network needs it. They are taken from the system folder by full path, never from
// the installer's own folder (a Downloads folder may hold a planted copy), and stay loaded.
template <typename Function>
Function SystemFunction(const wchar_t* library, const char* name) {
  wchar_t path[MAX_PATH + 16];
  const std::size_t length = ::GetSystemDirectoryW(path, static_cast<UINT>(std::size(path)));
  const std::size_t nameLength = std::wcslen(library);
  if (length == 0 || length + 1 + nameLength >= std::size(path)) return nullptr;
  path[length] = L'\\';
  std::wmemcpy(path + length + 1, library, nameLength + 1);
  const HMODULE module = ::LoadLibraryW(path);
  return module != nullptr
             ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)))
             : nullptr;
}

bool PlatformIsNetworkAlive() {
  using IsNetworkAliveFn = BOOL(WINAPI*)(LPDWORD);
  static const auto isNetworkAlive =
      SystemFunction<IsNetworkAliveFn>(L"sensapi.dll", "IsNetworkAlive");
  DWORD flags = 0;
  return isNetworkAlive != nullptr && isNetworkAlive(&flags) == TRUE;
}

bool PlatformInternetGetConnectedState() {
  using InternetGetConnectedStateFn = BOOL(WINAPI*)(LPDWORD, DWORD);
  static const auto internetGetConnectedState =
      SystemFunction<InternetGetConnectedStateFn>(L"wininet.dll", "InternetGetConnectedState");
  DWORD state = 0;
  return internetGetConnectedState != nullptr && internetGetConnectedState(&state, 0) == TRUE;
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
