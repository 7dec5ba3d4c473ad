// A user at another process's dialog, for the end-to-end tests: waits until a visible dialog with
// the given caption and control exists, prints its screen rectangle, its owner window's handle (0
// for none) and whether that owner is enabled (1) or not (0), and then
//   wait   does nothing more;
//   click  waits until the control (a button) is enabled and clicks it as a mouse click does;
//   close  closes the dialog as its title bar's close button does.
//
//   msk_dialog_button.exe "Velmar Installation" 1002 click 30000
//   -> "412 311 967 714 65562 0" on stdout, exit 0; exit 1 when no such dialog showed up in time.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {

struct Search {
  const wchar_t* caption;
  int controlId;
  bool mustBeEnabled;
  HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<Search*>(context);
  wchar_t className[16] = {};
  wchar_t caption[256] = {};
  ::GetClassNameW(window, className, 16);
  ::GetWindowTextW(window, caption, 256);
  if (std::wcscmp(className, L"#32770") == 0 && std::wcscmp(caption, search.caption) == 0 &&
      ::IsWindowVisible(window)) {
    const HWND control = ::GetDlgItem(window, search.controlId);
    if (control == nullptr || (search.mustBeEnabled && !::IsWindowEnabled(control))) return TRUE;
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fprintf(stderr,
                 "usage: msk_dialog_button CAPTION CONTROL-ID wait|click|close [TIMEOUT-MS]\n");
    return 2;
  }
  const bool click = std::wcscmp(argv[3], L"click") == 0;
  const bool close = std::wcscmp(argv[3], L"close") == 0;
  Search search{argv[1], std::stoi(argv[2]), click, nullptr};
  const DWORD timeout = argc > 4 ? static_cast<DWORD>(std::stoul(argv[4])) : 30000;
  const ULONGLONG deadline = ::GetTickCount64() + timeout;
  while (search.found == nullptr && ::GetTickCount64() < deadline) {
    ::EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) ::Sleep(20);
  }
  if (search.found == nullptr) return 1;
  RECT rect{};
  ::GetWindowRect(search.found, &rect);
  const HWND owner = ::GetWindow(search.found, GW_OWNER);
  std::printf("%ld %ld %ld %ld %llu %d\n", rect.left, rect.top, rect.right, rect.bottom,
              static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(owner)),
              owner != nullptr && ::IsWindowEnabled(owner) ? 1 : 0);
  std::fflush(stdout);
  if (click) ::SendMessageW(::GetDlgItem(search.found, search.controlId), BM_CLICK, 0, 0);
  if (close) ::PostMessageW(search.found, WM_SYSCOMMAND, SC_CLOSE, 0);
  return 0;
}
