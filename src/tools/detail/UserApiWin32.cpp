// The platform side of the user-query seam: the Windows functions themselves, and two thin
// wrappers that copy out text the platform allocated and free it the way it was allocated.
#include "tools/ForTesting.h"
#include "tools/detail/UserApi.h"

#include "tools/UniqueHandle.h"

#include <sddl.h>
#include <shlobj.h>
#include <userenv.h>

#include <atomic>

namespace Tools::SystemTools::detail {
namespace {

// Buffers from WTSQuerySessionInformationW, freed with WTSFreeMemory.
struct WtsMemoryTraits {
  using Value = LPWSTR;
  static Value Empty() noexcept { return nullptr; }
  static bool IsEmpty(Value value) noexcept { return value == nullptr; }
  static void Close(Value value) noexcept { ::WTSFreeMemory(value); }
};
using WtsText = UniqueHandle<WtsMemoryTraits>;

// Text from ConvertSidToStringSidW, freed with LocalFree.
struct LocalMemoryTraits {
  using Value = LPWSTR;
  static Value Empty() noexcept { return nullptr; }
  static bool IsEmpty(Value value) noexcept { return value == nullptr; }
  static void Close(Value value) noexcept { ::LocalFree(value); }
};
using LocalText = UniqueHandle<LocalMemoryTraits>;

bool QuerySessionText(std::uint32_t sessionId, WTS_INFO_CLASS infoClass, std::wstring& text) {
  WtsText buffer;
  DWORD bytes = 0;
  if (!::WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, sessionId, infoClass, buffer.Put(),
                                     &bytes)) {
    return false;
  }
  text = buffer ? std::wstring(buffer.Get()) : std::wstring();
  return true;
}

bool SidToString(PSID sid, std::wstring& text) {
  LocalText converted;
  if (!::ConvertSidToStringSidW(sid, converted.Put()) || !converted) return false;
  text = converted.Get();
  return true;
}

std::atomic<const UserApi*> activeApi{nullptr};

}  // namespace

const UserApi& PlatformUserApi() noexcept {
  static const UserApi api{&QuerySessionText,
                           &::WTSGetActiveConsoleSessionId,
                           &::WTSQueryUserToken,
                           &::OpenProcessToken,
                           &::LookupAccountNameW,
                           &::IsValidSid,
                           &SidToString,
                           &::SHGetFolderPathW,
                           &::ExpandEnvironmentStringsForUserW};
  return api;
}

const UserApi& ActiveUserApi() noexcept {
  const UserApi* replacement = activeApi.load(std::memory_order_acquire);
  return replacement != nullptr ? *replacement : PlatformUserApi();
}

ScopedUserApiOverrideForTesting::ScopedUserApiOverrideForTesting(
    const UserApi& replacement) noexcept
    : previous_(activeApi.exchange(&replacement, std::memory_order_acq_rel)) {}

ScopedUserApiOverrideForTesting::~ScopedUserApiOverrideForTesting() {
  activeApi.store(previous_, std::memory_order_release);
}

}  // namespace Tools::SystemTools::detail
