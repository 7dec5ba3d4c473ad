#include "tools/DetachedThread.h"

#include <windows.h>

#include <memory>
#include <utility>

namespace Tools {
namespace {

struct DetachedWork {
  std::function<void()> work;
  HMODULE module = nullptr;  // the reference on our DLL that the thread holds
};

DWORD WINAPI RunWork(void* parameter) {
  HMODULE module = nullptr;
  {
    const std::unique_ptr<DetachedWork> task(static_cast<DetachedWork*>(parameter));
    module = task->module;
    try {
      task->work();
    } catch (...) {
      // the work's own outcome says what became of it
    }
  }  // the work and what it captured go while the DLL is still loaded
  FreeLibraryAndExitThread(module, 0);
}

}  // namespace

bool RunDetached(std::function<void()> work) noexcept {
  try {
    auto task = std::make_unique<DetachedWork>();
    task->work = std::move(work);
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(&RunWork)),
                            &task->module)) {
      return false;
    }
    const HANDLE thread = CreateThread(nullptr, 0, &RunWork, task.get(), 0, nullptr);
    if (thread == nullptr) {
      FreeLibrary(task->module);
      return false;
    }
    task.release();  // the thread's now
    CloseHandle(thread);
    return true;
  } catch (...) {
    return false;  // out of memory
  }
}

}  // namespace Tools
