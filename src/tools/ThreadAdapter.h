#pragma once
// A started thread together with the function that asks it to stop.
//
//   Tools::ThreadAdapter::Thread thread(run, stop, "hftp::ServicesManager");
//   ...
//   thread.Stop();  // calls `stop`, then marks the adapter stopped
//   thread.join();  // waits for `run` to return
//
// The constructor starts a thread that executes `run`. The run function is moved into the new
// thread, so the adapter may be destroyed while `run` is still executing (an active object's
// worker destroys its own adapter that way). The destructor does not join: a thread still running
// then is detached, so it must neither wait for nor touch the adapter afterwards.
//
// The name is only a debugging aid: where the platform allows it, it becomes the thread's name
// (cut to what the platform accepts).
//
// Thread-safety: Stop and IsStopped may be called from any thread; join from one thread at a time.

#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace Tools::ThreadAdapter {

class Thread {
 public:
  Thread(std::function<void()> run, std::function<void()> stop, const std::string& name);
  ~Thread();

  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Calls the stop function, then sets the stopped flag.
  void Stop();
  // True once Stop has returned.
  bool IsStopped() const;
  // Waits for the run function to return. Does nothing when the thread was already joined, or when
  // called on the adapter's own thread (a thread cannot wait for itself).
  void join();

 private:
  std::function<void()> stop_;
  mutable std::mutex mutex_;
  bool stopped_ = false;
  std::thread thread_;  // last: started once everything above exists
};

}  // namespace Tools::ThreadAdapter
