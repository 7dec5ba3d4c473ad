#pragma once
// The SID of the user logged on to a terminal-services session, in the text form of
// ConvertSidToStringSidW ("S-1-5-21-..."). The user is the session's (its user and domain names),
// never the process token's: an installer run under another account still names the person at the
// session.
//
//   std::wstring own = GetSessionUserSid(kCurrentSession);
//   std::wstring console = GetSessionUserSid(ActiveConsoleSessionId());
//
// Thread-safety: no state; may run on any thread. Never throws: every failure, including running
// out of memory, gives the empty string.

#include <cstdint>
#include <string>

namespace Tools::SystemTools {

// WTS_CURRENT_SESSION: the session of the calling process.
inline constexpr std::uint32_t kCurrentSession = 0xFFFFFFFF;

// The session attached to the physical console (WTSGetActiveConsoleSessionId), kCurrentSession
// when none is.
std::uint32_t ActiveConsoleSessionId() noexcept;

// The session's user as a SID string, or empty. `sessionId` reaches the platform unchanged.
std::wstring GetSessionUserSid(std::uint32_t sessionId) noexcept;

}  // namespace Tools::SystemTools
