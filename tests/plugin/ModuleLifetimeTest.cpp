#include "support/PluginHost.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <winsock2.h>

#include <nsis/pluginapi.h>

#include <string>

namespace {

using UnloadFn = void(__cdecl*)();
using CaptureDialogFn = int(__cdecl*)(HWND);
using CommandFn = void(__cdecl*)(HWND, int, wchar_t*, stack_t**, extra_parameters*);

// What a plug-in command registered with NSIS for its unloading.
struct Registered {
  static inline HMODULE module = nullptr;
  static inline NSISPLUGINCALLBACK callback = nullptr;
  static int __stdcall Register(HMODULE from, NSISPLUGINCALLBACK call) {
    module = from;
    callback = call;
    return 0;
  }
};

DWORD ProcessHandleCount() {
  DWORD count = 0;
  ::GetProcessHandleCount(::GetCurrentProcess(), &count);
  return count;
}

TEST(ModuleLifetime, LoadsUnderItsOwnNameAndUnloadIsHarmlessWhenNothingIsCaptured) {
  msk::test::PluginHost host;
  ASSERT_NE(host.Module(), nullptr);
  // The skin looks the library up by this exact file name.
  EXPECT_EQ(::GetModuleHandleW(L"MarlowSetupKit.dll"), host.Module());
  const auto unload = host.Export<UnloadFn>("Unload");
  ASSERT_NE(unload, nullptr);
  unload();
  unload();
}

TEST(ModuleLifetime, NsisUnloadingThePluginReleasesTheCapturedDialog) {
  msk::test::PluginHost host;
  const auto sha256 = host.Export<CommandFn>("Sha256");
  const auto captureDialog = host.Export<CaptureDialogFn>("CaptureDialog");
  const auto unload = host.Export<UnloadFn>("Unload");
  ASSERT_NE(sha256, nullptr);
  ASSERT_NE(captureDialog, nullptr);

  // Any command registers; here Sha256 of nothing (an empty stack answers "").
  exec_flags_t flags{};
  extra_parameters extra{};
  extra.exec_flags = &flags;
  extra.RegisterPluginCallback = &Registered::Register;
  stack_t* top = nullptr;
  sha256(nullptr, 1024, nullptr, &top, &extra);
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(std::wstring(top->text), L"");
  ::GlobalFree(top);
  EXPECT_EQ(Registered::module, host.Module());
  ASSERT_NE(Registered::callback, nullptr);

  const HWND first = ::CreateWindowExW(0, L"STATIC", L"first", WS_POPUP, 0, 0, 100, 100, nullptr,
                                       nullptr, nullptr, nullptr);
  const HWND second = ::CreateWindowExW(0, L"STATIC", L"second", WS_POPUP, 0, 0, 100, 100, nullptr,
                                        nullptr, nullptr, nullptr);
  ASSERT_EQ(captureDialog(first), 1);
  EXPECT_EQ(captureDialog(second), 0);  // one capture at a time
  Registered::callback(NSPIM_GUIUNLOAD);
  EXPECT_EQ(captureDialog(second), 0);  // not yet
  Registered::callback(NSPIM_UNLOAD);
  EXPECT_EQ(captureDialog(second), 1);  // the first capture is gone
  unload();
  ::DestroyWindow(first);
  ::DestroyWindow(second);
}

TEST(ModuleLifetime, RepeatedLoadAndFreeNeitherHangsNorLeaksHandles) {
  { msk::test::PluginHost warmUp; }  // first load pulls in system DLLs that stay
  const DWORD before = ProcessHandleCount();
  for (int i = 0; i < 20; ++i) {
    msk::test::PluginHost host;
    ASSERT_NE(host.Module(), nullptr) << "load " << i;
  }
  EXPECT_EQ(::GetModuleHandleW(L"MarlowSetupKit.dll"), nullptr);
  EXPECT_LE(ProcessHandleCount(), before + 2);
}

// Runs this same test program as a child with only `test` selected; its exit code (0: passed),
// or -1 when it did not end within 30 s.
long RunChildTest(const std::wstring& test) {
  wchar_t self[MAX_PATH];
  if (::GetModuleFileNameW(nullptr, self, MAX_PATH) == 0) return -1;
  std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=ModuleLifetime." + test;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ::SetEnvironmentVariableW(L"MSK_LIFETIME_CHILD", L"1");
  const BOOL started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &process);
  ::SetEnvironmentVariableW(L"MSK_LIFETIME_CHILD", nullptr);
  if (!started) return -1;
  const DWORD waited = ::WaitForSingleObject(process.hProcess, 30000);
  DWORD exitCode = 0;
  ::GetExitCodeProcess(process.hProcess, &exitCode);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return waited == WAIT_OBJECT_0 ? static_cast<long>(exitCode) : -1;
}

bool IsChild() {
  return ::GetEnvironmentVariableW(L"MSK_LIFETIME_CHILD", nullptr, 0) != 0;
}

TEST(ModuleLifetime, ProcessExitsCleanlyWithTheLibraryStillLoaded) {
  // The child loads the DLL and exits without freeing it.
  EXPECT_EQ(RunChildTest(L"ChildLoadsAndExits"), 0);
}

TEST(ModuleLifetime, ChildLoadsAndExits) {
  if (!IsChild()) GTEST_SKIP() << "helper of ProcessExitsCleanlyWithTheLibraryStillLoaded";
  ASSERT_NE(::LoadLibraryW(msk::test::PluginHost::DllPath().c_str()), nullptr);
  // Deliberately never freed: the process exits with the library loaded.
}

// libcurl's global set-up loads the TLS and network helper libraries and starts Winsock; under the
// loader lock (DllMain) that risks a deadlock. A fresh process shows whether loading did it.
TEST(ModuleLifetime, LoadingStartsNeitherWinsockNorLibcurl) {
  EXPECT_EQ(RunChildTest(L"ChildLoadsWithoutNetworking"), 0);
}

TEST(ModuleLifetime, ChildLoadsWithoutNetworking) {
  if (!IsChild()) GTEST_SKIP() << "helper of LoadingStartsNeitherWinsockNorLibcurl";
  const wchar_t* const helpers[] = {L"secur32.dll", L"iphlpapi.dll"};
  // Already loaded, they could tell nothing: the child says so with its own exit code.
  for (const wchar_t* helper : helpers) {
    if (::GetModuleHandleW(helper) != nullptr) ::ExitProcess(2);
  }
  const HMODULE module = ::LoadLibraryW(msk::test::PluginHost::DllPath().c_str());
  ASSERT_NE(module, nullptr);
  for (const wchar_t* helper : helpers) {
    EXPECT_EQ(::GetModuleHandleW(helper), nullptr) << std::wstring(helper).size();
  }
  // Winsock not started: a socket cannot be made yet.
  EXPECT_EQ(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP), INVALID_SOCKET);
  EXPECT_EQ(::WSAGetLastError(), WSANOTINITIALISED);
  ::FreeLibrary(module);
}

}  // namespace
