#include "tools/ThreadAdapter.h"

#include <utility>

#if defined(__linux__)
#include <pthread.h>
#endif

namespace Tools::ThreadAdapter {
namespace {

void NameThread([[maybe_unused]] std::thread& thread, [[maybe_unused]] const std::string& name) {
#if defined(__linux__)
  // Linux accepts 15 characters plus the terminator; a failure only loses the debugging aid.
  pthread_setname_np(thread.native_handle(), name.substr(0, 15).c_str());
#endif
}

}  // namespace

Thread::Thread(std::function<void()> run, std::function<void()> stop, const std::string& name)
    : stop_(std::move(stop)), thread_(std::move(run)) {
  NameThread(thread_, name);
}

Thread::~Thread() {
  if (thread_.joinable()) thread_.detach();
}

void Thread::Stop() {
  if (stop_) stop_();
  std::lock_guard<std::mutex> lock(mutex_);
  stopped_ = true;
}

bool Thread::IsStopped() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return stopped_;
}

void Thread::join() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

}  // namespace Tools::ThreadAdapter
