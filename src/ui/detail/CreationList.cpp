#include "ui/detail/CreationList.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace ui::detail::CreationList {
namespace {

class CriticalSection {
 public:
  CriticalSection() noexcept { ::InitializeCriticalSection(&section_); }
  ~CriticalSection() { ::DeleteCriticalSection(&section_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void Lock() noexcept { ::EnterCriticalSection(&section_); }
  void Unlock() noexcept { ::LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

class Guard {
 public:
  explicit Guard(CriticalSection& section) noexcept : section_(section) { section_.Lock(); }
  ~Guard() { section_.Unlock(); }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;

 private:
  CriticalSection& section_;
};

struct Entry {
  DWORD thread;
  DialogImpl* dialog;
};

struct List {
  CriticalSection section;
  std::vector<Entry> entries;
};

List& TheList() noexcept {
  static List list;
  return list;
}

}  // namespace

bool Enter(DialogImpl& dialog) noexcept {
  List& list = TheList();
  Guard guard(list.section);
  try {
    list.entries.push_back(Entry{::GetCurrentThreadId(), &dialog});
  } catch (...) {
    return false;
  }
  return true;
}

DialogImpl* TakeForThisThread() noexcept {
  List& list = TheList();
  Guard guard(list.section);
  const DWORD thread = ::GetCurrentThreadId();
  const auto found = std::find_if(list.entries.rbegin(), list.entries.rend(),
                                  [thread](const Entry& entry) { return entry.thread == thread; });
  if (found == list.entries.rend()) return nullptr;
  DialogImpl* const dialog = found->dialog;
  list.entries.erase(std::next(found).base());
  return dialog;
}

void Remove(const DialogImpl& dialog) noexcept {
  List& list = TheList();
  Guard guard(list.section);
  list.entries.erase(
      std::remove_if(list.entries.begin(), list.entries.end(),
                     [&dialog](const Entry& entry) { return entry.dialog == &dialog; }),
      list.entries.end());
}

}  // namespace ui::detail::CreationList
