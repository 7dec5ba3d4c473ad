#include "PluginHost.h"

#include <gtest/gtest.h>

#include <vector>

namespace msk::test {

std::wstring PluginHost::DllPath() {
  std::vector<wchar_t> buffer(32768);
  const DWORD length =
      ::GetEnvironmentVariableW(L"MSK_PLUGIN_DLL", buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length > 0 && length < buffer.size()) return std::wstring(buffer.data(), length);
  return L"" MSK_PLUGIN_DLL_PATH;
}

PluginHost::PluginHost() : module_(::LoadLibraryW(DllPath().c_str())) {
  if (module_ == nullptr) {
    ADD_FAILURE() << "LoadLibraryW failed with error " << ::GetLastError();
  }
}

PluginHost::~PluginHost() {
  if (module_ != nullptr) ::FreeLibrary(module_);
}

FARPROC PluginHost::Lookup(const char* name) const {
  const FARPROC proc = module_ != nullptr ? ::GetProcAddress(module_, name) : nullptr;
  if (proc == nullptr) ADD_FAILURE() << "no export " << name;
  return proc;
}

}  // namespace msk::test
