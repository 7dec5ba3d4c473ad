// The user's proxy settings and the PAC engine, as WinHTTP offers them.
#include "hftp/SystemProxy.h"

#include <windows.h>
// windows.h first: winhttp.h relies on its types.
#include <winhttp.h>

#include <memory>
#include <utility>

#include "tools/StringTools.h"
#include "tools/UniqueHandle.h"
#include "tools/WindowsHandles.h"

namespace hftp {
namespace {

// The strings WinHttpGetIEProxyConfigForCurrentUser and WinHttpGetProxyForUrl allocate.
using UniqueGlobalText = Tools::UniqueHandle<Tools::HandleTraits<wchar_t*, &::GlobalFree>>;
using UniqueInternetHandle =
    Tools::UniqueHandle<Tools::HandleTraits<HINTERNET, &::WinHttpCloseHandle>>;

std::string Utf8(const wchar_t* text) {
  std::string converted;
  if (text != nullptr) Tools::StringTools::ConvertToUtf8(text, converted);
  return converted;
}

std::wstring Wide(const std::string& text) {
  std::wstring converted;
  Tools::StringTools::ConvertFromUtf8(text, converted);
  return converted;
}

ProxySettings ReadSettings() {
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
  if (!::WinHttpGetIEProxyConfigForCurrentUser(&config)) return {};
  const UniqueGlobalText pacUrl(config.lpszAutoConfigUrl);
  const UniqueGlobalText proxy(config.lpszProxy);
  const UniqueGlobalText bypass(config.lpszProxyBypass);
  ProxySettings settings;
  settings.autoDetect = config.fAutoDetect != FALSE;
  settings.autoConfigUrl = Utf8(pacUrl.Get());
  settings.proxyList = Utf8(proxy.Get());
  settings.bypassList = Utf8(bypass.Get());
  return settings;
}

// One PAC run, shared by the thread that runs it and the one that waits for it: either may be the
// last to let go of it.
struct PacRun {
  std::wstring url;
  std::wstring scriptUrl;
  bool autoDetect = false;
  UniqueInternetHandle session;
  std::optional<std::string> answer;
};

DWORD WINAPI RunPacScript(void* parameter) {
  const std::unique_ptr<std::shared_ptr<PacRun>> held(
      static_cast<std::shared_ptr<PacRun>*>(parameter));
  PacRun& run = **held;
  WINHTTP_AUTOPROXY_OPTIONS options{};
  if (run.autoDetect) {
    options.dwFlags |= WINHTTP_AUTOPROXY_AUTO_DETECT;
    options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
  }
  if (!run.scriptUrl.empty()) {
    options.dwFlags |= WINHTTP_AUTOPROXY_CONFIG_URL;
    options.lpszAutoConfigUrl = run.scriptUrl.c_str();
  }
  options.fAutoLogonIfChallenged = TRUE;
  WINHTTP_PROXY_INFO info{};
  if (!::WinHttpGetProxyForUrl(run.session.Get(), run.url.c_str(), &options, &info)) return 0;
  const UniqueGlobalText proxy(info.lpszProxy);
  const UniqueGlobalText bypass(info.lpszProxyBypass);
  // WinHTTP answers a PAC's DIRECT with "no proxy", and its proxies as a "host:port" list.
  run.answer =
      info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && proxy ? Utf8(proxy.Get()) : "DIRECT";
  return 0;
}

// WinHttpGetProxyForUrl on a thread of its own, so that discovery and the script's fetch end
// within kPacTimeLimit together whatever WinHTTP's own limits are. On time-out the session is
// closed, which cancels what WinHTTP still does; a thread that even so does not end in time is
// left to finish, and this module is kept loaded so that its code stays there for it.
std::optional<std::string> RunPac(const ProxySettings& settings, const std::string& url) {
  auto run = std::make_shared<PacRun>();
  run->url = Wide(url);
  run->scriptUrl = Wide(settings.autoConfigUrl);
  run->autoDetect = settings.autoDetect;
  run->session.Reset(::WinHttpOpen(L"MarlowSetupKit", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                   WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!run->session) return std::nullopt;
  constexpr int kLimitMs = static_cast<int>(kPacTimeLimit.count() * 1000);
  ::WinHttpSetTimeouts(run->session.Get(), kLimitMs, kLimitMs, kLimitMs, kLimitMs);
  auto parameter = std::make_unique<std::shared_ptr<PacRun>>(run);
  const Tools::UniqueKernelHandle thread(
      ::CreateThread(nullptr, 0, &RunPacScript, parameter.get(), 0, nullptr));
  if (!thread) return std::nullopt;
  static_cast<void>(parameter.release());  // the thread owns it now
  if (::WaitForSingleObject(thread.Get(), static_cast<DWORD>(kLimitMs)) == WAIT_OBJECT_0) {
    return run->answer;
  }
  ::WinHttpCloseHandle(run->session.Release());
  if (::WaitForSingleObject(thread.Get(), 1000) != WAIT_OBJECT_0) {
    static const char anchor = 0;  // any address inside this module
    HMODULE self = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                         reinterpret_cast<LPCWSTR>(&anchor), &self);
  }
  return std::nullopt;  // too late: whatever it found is not used
}

}  // namespace

std::vector<ProxyInfo> SystemProxiesFor(const std::string& url) {
  static PacCache cache;
  try {
    return ChooseProxies(ReadSettings(), url, cache, &RunPac);
  } catch (...) {
    return {};  // out of memory: the environment's proxy, as without settings
  }
}

}  // namespace hftp
