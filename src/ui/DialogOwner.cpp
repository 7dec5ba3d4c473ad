#include "ui/DialogOwner.h"

#include <cwchar>

namespace ui {
namespace {

struct Search {
  DWORD process;
  HWND best = nullptr;
  int bestRank = 0;
};

// How much `window` looks like the installer's main window; 0 when it cannot be an owner.
int Rank(HWND window) noexcept {
  if (!::IsWindowVisible(window)) return 0;
  int rank = 1;
  if (::GetWindow(window, GW_OWNER) == nullptr) rank += 2;  // a main window, not somebody's pop-up
  wchar_t className[8] = {};
  if (::GetClassNameW(window, className, 8) > 0 && std::wcscmp(className, L"#32770") == 0) {
    rank += 1;  // NSIS's main window is a dialog box
  }
  return rank;
}

BOOL CALLBACK Visit(HWND window, LPARAM context) noexcept {
  auto& search = *reinterpret_cast<Search*>(context);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  if (process != search.process) return TRUE;
  // A pop-up stands for the window that owns it: that one holds the process's user interface.
  HWND candidate = ::GetAncestor(window, GA_ROOTOWNER);
  if (candidate == nullptr) candidate = window;
  const int rank = Rank(candidate);
  // Windows come in z-order: of equal ranks, the one nearest the top wins.
  if (rank > search.bestRank) {
    search.best = candidate;
    search.bestRank = rank;
  }
  return TRUE;
}

}  // namespace

HWND DialogOwner() noexcept {
  if (const HWND active = ::GetActiveWindow()) return active;
  Search search{::GetCurrentProcessId()};
  ::EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
  return search.best;
}

}  // namespace ui
