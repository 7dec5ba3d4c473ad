#include "tools/NetworkCheck.h"

#include "tools/ForTesting.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

namespace {

using Tools::SystemTools::IsInternetConnected;
using Tools::SystemTools::NetworkProbe;
using Tools::SystemTools::ScopedNetworkProbeOverrideForTesting;

struct ProbeScript {
  static inline bool alive = false;
  static inline bool connected = false;
  static inline int aliveCalls = 0;
  static inline int connectedCalls = 0;
  static bool IsNetworkAlive() { return ++aliveCalls, alive; }
  static bool InternetGetConnectedState() { return ++connectedCalls, connected; }
};

TEST(NetworkCheck, ConnectedOnlyWhenBothChecksSaySo) {
  constexpr NetworkProbe probe{&ProbeScript::IsNetworkAlive,
                               &ProbeScript::InternetGetConnectedState};
  const ScopedNetworkProbeOverrideForTesting scoped(probe);
  struct Case {
    bool alive, connected, expected;
    int connectedCallsExpected;
  };
  for (const Case c : {Case{true, true, true, 1}, Case{true, false, false, 1},
                       Case{false, true, false, 0}, Case{false, false, false, 0}}) {
    ProbeScript::alive = c.alive;
    ProbeScript::connected = c.connected;
    ProbeScript::aliveCalls = ProbeScript::connectedCalls = 0;
    EXPECT_EQ(IsInternetConnected(), c.expected) << c.alive << c.connected;
    EXPECT_EQ(ProbeScript::aliveCalls, 1);
    // The second check is skipped once the first said no.
    EXPECT_EQ(ProbeScript::connectedCalls, c.connectedCallsExpected) << c.alive << c.connected;
  }
}

TEST(NetworkCheck, PlatformProbeAnswersAndOverrideIsUndone) {
  bool overridden = false;
  {
    constexpr NetworkProbe offline{[] { return false; }, [] { return true; }};
    const ScopedNetworkProbeOverrideForTesting scoped(offline);
    overridden = IsInternetConnected();
  }
  EXPECT_FALSE(overridden);
  // Under wine on this machine the real functions report a connection (loopback counts).
  EXPECT_TRUE(IsInternetConnected());
}

// An installer runs from a Downloads folder, where a planted copy of a system library would be
// found first by its bare name: the check loads both from the system folder.
TEST(NetworkCheck, TheSystemLibrariesAreLoadedFromTheSystemFolderNotTheProgramsFolder) {
  wchar_t buffer[MAX_PATH];
  ASSERT_NE(::GetModuleFileNameW(nullptr, buffer, MAX_PATH), 0u);
  const std::filesystem::path programFolder = std::filesystem::path(buffer).parent_path();
  ASSERT_NE(::GetSystemDirectoryW(buffer, MAX_PATH), 0u);
  const std::filesystem::path systemFolder(buffer);
  for (const wchar_t* name : {L"sensapi.dll", L"wininet.dll"}) {
    // Where all tests of the program share one process (the emulated guest runs them so), an
    // earlier one has loaded them already and a planted copy could no longer be picked.
    if (::GetModuleHandleW(name) != nullptr) GTEST_SKIP() << "loaded by an earlier test";
  }
  for (const wchar_t* name : {L"sensapi.dll", L"wininet.dll"}) {
    std::filesystem::copy_file(systemFolder / name, programFolder / name,
                               std::filesystem::copy_options::overwrite_existing);
  }
  IsInternetConnected();
  for (const wchar_t* name : {L"sensapi.dll", L"wininet.dll"}) {
    const HMODULE module = ::GetModuleHandleW(name);
    ASSERT_NE(module, nullptr);
    ASSERT_NE(::GetModuleFileNameW(module, buffer, MAX_PATH), 0u);
    EXPECT_EQ(std::filesystem::path(buffer).parent_path(), systemFolder);
    std::error_code ignored;
    std::filesystem::remove(programFolder / name, ignored);
  }
}

}  // namespace
