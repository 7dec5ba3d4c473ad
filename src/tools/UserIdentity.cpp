#include "tools/UserIdentity.h"

#include "tools/detail/UserApi.h"

#include <vector>

namespace Tools::SystemTools {
namespace {

// The session's text of one class; a failed query leaves that part empty and the lookup decides.
std::wstring SessionText(const detail::UserApi& api, std::uint32_t sessionId,
                         WTS_INFO_CLASS infoClass) {
  std::wstring text;
  if (!api.querySessionText(sessionId, infoClass, text)) text.clear();
  return text;
}

std::wstring LookUpSidText(const detail::UserApi& api, const std::wstring& accountName) {
  // Size query: the call fails for want of buffers, but reports the sizes it needs.
  DWORD sidSize = 0;
  DWORD domainLength = 0;
  SID_NAME_USE use{};
  api.lookupAccountName(nullptr, accountName.c_str(), nullptr, &sidSize, nullptr, &domainLength,
                        &use);
  if (sidSize == 0) return {};

  std::vector<BYTE> sid(sidSize);
  std::vector<wchar_t> referencedDomain(domainLength);
  if (!api.lookupAccountName(nullptr, accountName.c_str(), sid.data(), &sidSize,
                             referencedDomain.data(), &domainLength, &use)) {
    return {};
  }
  if (!api.isValidSid(sid.data())) return {};

  std::wstring text;
  if (!api.sidToString(sid.data(), text)) return {};
  return text;
}

}  // namespace

std::uint32_t ActiveConsoleSessionId() noexcept {
  return detail::ActiveUserApi().activeConsoleSessionId();
}

std::wstring GetSessionUserSid(std::uint32_t sessionId) noexcept {
  try {
    const detail::UserApi& api = detail::ActiveUserApi();
    const std::wstring user = SessionText(api, sessionId, WTSUserName);
    const std::wstring domain = SessionText(api, sessionId, WTSDomainName);
    // Always DOMAIN\user, even with a part missing: the lookup, not we, decides what resolves.
    return LookUpSidText(api, domain + L'\\' + user);
  } catch (...) {
    return {};
  }
}

}  // namespace Tools::SystemTools
