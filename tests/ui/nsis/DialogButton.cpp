// A user at another process's dialog, for the end-to-end tests: waits until a visible dialog with
// the given caption and control (its own, or one of the page it holds, as NSIS's window holds the
// current page's dialog) exists, prints its screen rectangle, its owner window's handle (0
// for none) and whether that owner is enabled (1) or not (0), and then
//   wait     does nothing more;
//   click    waits until the control (a button) is enabled, clicks it as a mouse click does and
//            prints "clicked_at=TICK" (GetTickCount64 right before the click);
//   click@N  the same once the dialog's progress bar has reached N percent;
//   close    closes the dialog as its title bar's close button does;
//   text@N   waits until the dialog's progress bar has reached N percent of its range and prints
//            "text=TEXT", the control's text as it is first shown after that (or, if it does not
//            change before the dialog goes, as it was), and "bar=POS/HIGH", the bar's position
//            and range when the text was read, followed by " marquee" while it runs one.
// CONTROL-ID may also be FIND/ACT: the dialog is the one with control FIND, the action is on
// control ACT (the installer's own window, which may have the title too, has a Cancel button).
// With OUT-FILE the output goes into that file instead (UTF-16LE, created only once complete, so a
// waiting installer can poll for it), and "none" when no such dialog showed up. With PROCESS-ID
// only that process's dialogs count (other tests may show theirs on the same display).
//
//   msk_dialog_button.exe "Velmar Installation" 1002 click 30000
//   -> "412 311 967 714 65562 0" and "clicked_at=1234567" on stdout, exit 0; exit 1 when no such
//      dialog showed up in time.
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>

namespace {

struct Search {
  const wchar_t* caption;
  int controlId;
  bool mustBeEnabled;
  DWORD process;  // 0: any
  HWND found;
};

// The control `id` of `dialog`, or of the page dialog inside it.
HWND ControlOf(HWND dialog, int id) {
  if (const HWND control = ::GetDlgItem(dialog, id)) return control;
  const HWND page = ::FindWindowExW(dialog, nullptr, L"#32770", nullptr);
  return page != nullptr ? ::GetDlgItem(page, id) : nullptr;
}

BOOL CALLBACK Visit(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<Search*>(context);
  wchar_t className[16] = {};
  wchar_t caption[256] = {};
  ::GetClassNameW(window, className, 16);
  ::GetWindowTextW(window, caption, 256);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  if (search.process != 0 && process != search.process) return TRUE;
  if (std::wcscmp(className, L"#32770") == 0 && std::wcscmp(caption, search.caption) == 0 &&
      ::IsWindowVisible(window)) {
    const HWND control = ControlOf(window, search.controlId);
    if (control == nullptr || (search.mustBeEnabled && !::IsWindowEnabled(control))) return TRUE;
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

// Absent when the control did not answer (it is gone, or going with its dialog).
std::optional<std::wstring> TextOf(HWND control) {
  wchar_t text[1024] = {};
  if (::SendMessageTimeoutW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK,
                            5000, nullptr) == 0) {
    return std::nullopt;
  }
  return std::wstring(text);
}

BOOL CALLBACK FindBar(HWND child, LPARAM found) {
  wchar_t className[32] = {};
  ::GetClassNameW(child, className, 32);
  if (std::wcscmp(className, PROGRESS_CLASSW) != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = child;
  return FALSE;
}

HWND BarOf(HWND dialog) {
  HWND bar = nullptr;
  ::EnumChildWindows(dialog, &FindBar, reinterpret_cast<LPARAM>(&bar));
  return bar;
}

// "POS/HIGH" of the dialog's progress bar, and " marquee" while it has that style.
std::wstring BarText(HWND dialog) {
  const HWND bar = BarOf(dialog);
  const auto position = static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0));
  const auto high = static_cast<int>(::SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
  const bool marquee = (::GetWindowLongPtrW(bar, GWL_STYLE) & PBS_MARQUEE) != 0;
  return std::to_wstring(position) + L"/" + std::to_wstring(high) + (marquee ? L" marquee" : L"");
}

// Returns once the dialog's progress bar shows `percent` of its range, the dialog is gone or the
// deadline passed.
void WaitForPercent(HWND dialog, int percent, ULONGLONG deadline) {
  const HWND bar = BarOf(dialog);
  const auto reached = [&] {
    const auto high = static_cast<long long>(::SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
    const auto position = static_cast<long long>(::SendMessageW(bar, PBM_GETPOS, 0, 0));
    return percent <= 0 || (high > 0 && position * 100 >= percent * high);
  };
  while (::IsWindow(dialog) && ::GetTickCount64() < deadline && !reached()) ::Sleep(10);
}

// The text of `control` first shown after the dialog's progress bar reached `percent`.
std::wstring TextAfterPercent(HWND dialog, HWND control, int percent, ULONGLONG deadline) {
  WaitForPercent(dialog, percent, deadline);
  const std::wstring before = TextOf(control).value_or(L"");
  std::wstring now = before;
  while (::IsWindow(dialog) && ::GetTickCount64() < deadline && now == before) {
    ::Sleep(10);
    // A text that stays until the dialog goes is the one it had, not the silence of its end: a
    // control that no longer answers, or answers empty once its dialog is hidden to close.
    const std::optional<std::wstring> text = TextOf(control);
    if (!text || (text->empty() && !::IsWindowVisible(dialog))) break;
    now = *text;
  }
  return now;
}

void Report(const wchar_t* outFile, const std::wstring& output) {
  if (outFile == nullptr) {
    // UTF-8 on stdout, whatever the console's code page.
    const int size = ::WideCharToMultiByte(
        CP_UTF8, 0, output.data(), static_cast<int>(output.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, output.data(), static_cast<int>(output.size()), bytes.data(),
                          size, nullptr, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
    return;
  }
  const std::wstring partial = std::wstring(outFile) + L".partial";
  const HANDLE file =
      ::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(file, output.data(), static_cast<DWORD>(output.size() * sizeof(wchar_t)), &written,
              nullptr);
  ::CloseHandle(file);
  ::MoveFileExW(partial.c_str(), outFile, MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fprintf(stderr,
                 "usage: msk_dialog_button CAPTION CONTROL-ID[/ACTED-ID] "
                 "wait|click[@PERCENT]|close|text@PERCENT "
                 "[TIMEOUT-MS [OUT-FILE [PROCESS-ID]]]\n");
    return 2;
  }
  const std::wstring action = argv[3];
  const auto at = action.find(L'@');
  const std::wstring verb = action.substr(0, at);
  const int percent = at == std::wstring::npos ? 0 : std::stoi(action.substr(at + 1));
  const bool click = verb == L"click";
  const bool close = verb == L"close";
  const bool text = verb == L"text";
  const DWORD process = argc > 6 ? static_cast<DWORD>(std::stoul(argv[6])) : 0;
  const std::wstring controls = argv[2];
  const auto slash = controls.find(L'/');
  const int acted = std::stoi(slash == std::wstring::npos ? controls : controls.substr(slash + 1));
  Search search{argv[1], std::stoi(controls), click, process, nullptr};
  const DWORD timeout = argc > 4 ? static_cast<DWORD>(std::stoul(argv[4])) : 30000;
  const wchar_t* outFile = argc > 5 ? argv[5] : nullptr;
  const ULONGLONG deadline = ::GetTickCount64() + timeout;
  while (search.found == nullptr && ::GetTickCount64() < deadline) {
    ::EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) ::Sleep(20);
  }
  if (search.found == nullptr) {
    if (outFile != nullptr) Report(outFile, L"none\r\n");
    return 1;
  }
  RECT rect{};
  ::GetWindowRect(search.found, &rect);
  const HWND owner = ::GetWindow(search.found, GW_OWNER);
  std::wstring output = std::to_wstring(rect.left) + L" " + std::to_wstring(rect.top) + L" " +
                        std::to_wstring(rect.right) + L" " + std::to_wstring(rect.bottom) + L" " +
                        std::to_wstring(reinterpret_cast<std::uintptr_t>(owner)) + L" " +
                        (owner != nullptr && ::IsWindowEnabled(owner) ? L"1" : L"0") + L"\r\n";
  const HWND control = ControlOf(search.found, acted);
  if (click) {
    WaitForPercent(search.found, percent, deadline);
    output += L"clicked_at=" + std::to_wstring(::GetTickCount64()) + L"\r\n";
    // Reported first: the click may end the dialog and the program waiting for this output.
    Report(outFile, output);
    ::SendMessageW(control, BM_CLICK, 0, 0);
    return 0;
  }
  if (close) ::PostMessageW(search.found, WM_SYSCOMMAND, SC_CLOSE, 0);
  if (text) {
    output += L"text=" + TextAfterPercent(search.found, control, percent, deadline) + L"\r\n";
    output += L"bar=" + BarText(search.found) + L"\r\n";
  }
  Report(outFile, output);
  return 0;
}
