#include "plugin/BackgroundDownloads.h"

#include "plugin/PluginServiceFactory.h"

#include <windows.h>

#include <map>
#include <mutex>

namespace plugin::background {
namespace {

struct Registry {
  std::mutex mutex;
  std::shared_ptr<download::BackgroundJobs> jobs;  // made by the first Start, ended by ShutDown
  std::map<download::BackgroundJobs::Id, DownloadCommand> commands;
};

// Never destroyed: at process exit the jobs' threads are gone, and nothing may wait for them
// under the loader lock. ShutDown ends the jobs while the library is still in use.
Registry& TheRegistry() {
  static Registry* const registry = new Registry();
  return *registry;
}

// A positive decimal number without sign, spaces or leading zeros; absent otherwise.
std::optional<download::BackgroundJobs::Id> ParseId(const std::wstring& text) noexcept {
  if (text.empty() || text.size() > 18 || text[0] == L'0') return std::nullopt;
  download::BackgroundJobs::Id id = 0;
  for (const wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    id = id * 10 + static_cast<download::BackgroundJobs::Id>(c - L'0');
  }
  return id;
}

void PinLibrary() noexcept {
  HMODULE module = nullptr;
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&PinLibrary), &module);
}

}  // namespace

std::wstring Start(const DownloadCommand& command) {
  Registry& registry = TheRegistry();
  const std::lock_guard<std::mutex> lock(registry.mutex);
  if (!registry.jobs) {
    registry.jobs = std::make_shared<download::BackgroundJobs>(CreateServiceFactory());
  }
  const download::BackgroundJobs::Id id = registry.jobs->Start(command.request);
  registry.commands.emplace(id, command);
  return std::to_wstring(id);
}

std::optional<Job> Find(const std::wstring& id) {
  const std::optional<download::BackgroundJobs::Id> number = ParseId(id);
  if (!number) return std::nullopt;
  Registry& registry = TheRegistry();
  const std::lock_guard<std::mutex> lock(registry.mutex);
  const auto found = registry.commands.find(*number);
  if (!registry.jobs || found == registry.commands.end()) return std::nullopt;
  return Job{registry.jobs, *number, found->second};
}

bool ShutDown() noexcept {
  std::shared_ptr<download::BackgroundJobs> jobs;
  {
    Registry& registry = TheRegistry();
    const std::lock_guard<std::mutex> lock(registry.mutex);
    jobs = std::move(registry.jobs);
    registry.commands.clear();
  }
  if (!jobs) return true;
  if (jobs->CancelAll(download::kShutdownWait)) return true;
  PinLibrary();
  try {
    // Left to its threads: its end would wait for them once more.
    static_cast<void>(new std::shared_ptr<download::BackgroundJobs>(std::move(jobs)));
  } catch (...) {
  }
  return false;
}

}  // namespace plugin::background
