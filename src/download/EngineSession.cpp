#include "download/EngineSession.h"

#include "hftp/EngineTeardown.h"

#include <mutex>

namespace download {
namespace {

// The count and the teardown share one lock, so that no session begins while the engine is
// being torn down and teardown runs on one thread at a time, as the engine requires.
std::mutex& HoldersMutex() noexcept {
  static std::mutex mutex;
  return mutex;
}
int holders = 0;  // guarded by HoldersMutex()

}  // namespace

EngineSession::EngineSession() noexcept {
  const std::lock_guard<std::mutex> lock(HoldersMutex());
  ++holders;
}

EngineSession::~EngineSession() {
  const std::lock_guard<std::mutex> lock(HoldersMutex());
  if (--holders > 0) return;
  try {
    hftp::TearDownEngine();
  } catch (...) {
  }
}

int EngineSession::Holders() noexcept {
  const std::lock_guard<std::mutex> lock(HoldersMutex());
  return holders;
}

}  // namespace download
