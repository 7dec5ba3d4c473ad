#include "support/ThreadCheckRecorder.h"

#include <mutex>

namespace msk::test {
namespace {

std::mutex failuresMutex;
std::vector<Tools::ThreadCheckFailure> failures;  // guarded by failuresMutex

}  // namespace

ThreadCheckRecorder::ThreadCheckRecorder() : handler_(&Record) {
  const std::lock_guard<std::mutex> lock(failuresMutex);
  failures.clear();
}

std::vector<Tools::ThreadCheckFailure> ThreadCheckRecorder::Failures() const {
  const std::lock_guard<std::mutex> lock(failuresMutex);
  return failures;
}

void ThreadCheckRecorder::Record(const Tools::ThreadCheckFailure& failure) noexcept {
  const std::lock_guard<std::mutex> lock(failuresMutex);
  try {
    failures.push_back(failure);
  } catch (...) {
    // Out of memory: the test then sees one failure too few and fails.
  }
}

}  // namespace msk::test
