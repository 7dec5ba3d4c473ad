#include "ProcessThreads.h"

#include <windows.h>
// After windows.h: the snapshot API relies on its types.
#include <tlhelp32.h>

namespace msk::test {

std::size_t ProcessThreadCount() noexcept {
  const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  std::size_t count = 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  const DWORD self = ::GetCurrentProcessId();
  for (BOOL more = ::Thread32First(snapshot, &entry); more;
       more = ::Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == self) ++count;
  }
  ::CloseHandle(snapshot);
  return count;
}

std::size_t WaitForProcessThreadCount(std::size_t expected, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::size_t count = ProcessThreadCount();
  while (count != expected && std::chrono::steady_clock::now() < deadline) {
    ::Sleep(10);
    count = ProcessThreadCount();
  }
  return count;
}

}  // namespace msk::test
