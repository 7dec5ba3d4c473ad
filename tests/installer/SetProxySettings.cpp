// Writes the current user's proxy settings where Windows keeps them, in the wine prefix it runs in
// (never this host's): the DefaultConnectionSettings record under Internet Settings\Connections,
// which WinHttpGetIEProxyConfigForCurrentUser reads (wine's InternetSetOption does not write it).
//
//   msk_set_proxy_settings.exe "127.0.0.1:3128" "<local>;*.corp.test" "http://127.0.0.1:80/pac"
//   [autodetect]
//   msk_set_proxy_settings.exe remove     (back to no record at all)
//   -> exit 0 once written; an empty text leaves that setting off; 1 on failure.
//
// The record: version 0x46, a change counter, the flags (1 direct, 2 fixed proxy, 4 PAC URL,
// 8 auto-detect), then the proxy list, the bypass list and the PAC URL, each as a 32-bit length
// and that many single-byte characters, and room for what later versions keep after them.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/UniqueHandle.h"

namespace {

using UniqueKey = Tools::UniqueHandle<Tools::HandleTraits<HKEY, &::RegCloseKey>>;

void AppendDword(std::vector<BYTE>& record, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) record.push_back(static_cast<BYTE>(value >> shift));
}

void AppendText(std::vector<BYTE>& record, const std::wstring& text) {
  AppendDword(record, static_cast<std::uint32_t>(text.size()));
  for (const wchar_t c : text) record.push_back(static_cast<BYTE>(c));  // ASCII settings only
}

constexpr const wchar_t* kConnections =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";
constexpr const wchar_t* kSettings = L"DefaultConnectionSettings";

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wstring(argv[1]) == L"remove") {
    const LSTATUS removed = ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kConnections, kSettings);
    return removed == ERROR_SUCCESS || removed == ERROR_FILE_NOT_FOUND ? 0 : 1;
  }
  if (argc < 4) {
    std::fprintf(stderr, "usage: msk_set_proxy_settings PROXY BYPASS PAC-URL [autodetect]\n");
    return 1;
  }
  const std::wstring proxy = argv[1], bypass = argv[2], pac = argv[3];
  const bool autoDetect = argc > 4 && std::wstring(argv[4]) == L"autodetect";
  std::uint32_t flags = 1;
  if (!proxy.empty()) flags |= 2;
  if (!pac.empty()) flags |= 4;
  if (autoDetect) flags |= 8;
  std::vector<BYTE> record;
  AppendDword(record, 0x46);
  AppendDword(record, 1);
  AppendDword(record, flags);
  AppendText(record, proxy);
  AppendText(record, bypass);
  AppendText(record, pac);
  record.resize(record.size() + 32, 0);
  UniqueKey key;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER,
                        L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet "
                        L"Settings\\Connections",
                        0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Put(),
                        nullptr) != ERROR_SUCCESS ||
      ::RegSetValueExW(key.Get(), L"DefaultConnectionSettings", 0, REG_BINARY, record.data(),
                       static_cast<DWORD>(record.size())) != ERROR_SUCCESS) {
    std::fprintf(stderr, "msk_set_proxy_settings: cannot write the settings\n");
    return 1;
  }
  return 0;
}
