// The platform side of the user-query seam: the Windows functions themselves, and two thin
// wrappers that copy out text the platform allocated and free it the way it was allocated.
#include "tools/ForTesting.h"
#include "tools/detail/UserApi.h"

#include "tools/WindowsHandles.h"

#include <sddl.h>
#include <shlobj.h>
#include <userenv.h>

#include <atomic>

namespace Tools::SystemTools::detail {
namespace {

bool QuerySessionText(std::uint32_t sessionId, WTS_INFO_CLASS infoClass, std::wstring& text) {
  UniqueWtsMemory<LPWSTR> buffer;
  DWORD bytes = 0;
  if (!::WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, sessionId, infoClass, buffer.Put(),
                                     &bytes)) {
    return false;
  }
  text = buffer ? std::wstring(buffer.Get()) : std::wstring();
  return true;
}

bool SidToString(PSID sid, std::wstring& text) {
  UniqueLocalMemory<LPWSTR> converted;
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
