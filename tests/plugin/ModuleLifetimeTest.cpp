#include "support/PluginHost.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

using UnloadFn = void(__cdecl*)();

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

TEST(ModuleLifetime, ProcessExitsCleanlyWithTheLibraryStillLoaded) {
  // The child is this same test program, asked to load the DLL and exit without freeing it.
  wchar_t self[MAX_PATH];
  ASSERT_GT(::GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  std::wstring command =
      L"\"" + std::wstring(self) + L"\" --gtest_filter=ModuleLifetime.ChildLoadsAndExits";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ::SetEnvironmentVariableW(L"MSK_LIFETIME_CHILD", L"1");
  ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
  ::SetEnvironmentVariableW(L"MSK_LIFETIME_CHILD", nullptr);
  const DWORD waited = ::WaitForSingleObject(process.hProcess, 30000);
  DWORD exitCode = 0;
  ::GetExitCodeProcess(process.hProcess, &exitCode);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  EXPECT_EQ(waited, WAIT_OBJECT_0);
  EXPECT_EQ(exitCode, 0u);
}

TEST(ModuleLifetime, ChildLoadsAndExits) {
  if (::GetEnvironmentVariableW(L"MSK_LIFETIME_CHILD", nullptr, 0) == 0) {
    GTEST_SKIP() << "helper of ProcessExitsCleanlyWithTheLibraryStillLoaded";
  }
  ASSERT_NE(::LoadLibraryW(msk::test::PluginHost::DllPath().c_str()), nullptr);
  // Deliberately never freed: the process exits with the library loaded.
}

}  // namespace
