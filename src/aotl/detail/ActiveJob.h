#pragma once
// One queued unit of work of a worker thread.
//
// `call` is the work. When it raises disposed_exception (its target object is gone) the worker runs
// `onDisposed`; when it raises any other E the worker passes the exception to `onError`, and
// anything that is not an E arrives there as a default-constructed E. Any of the three may be
// empty: an empty `call` is skipped, an empty handler drops what it would have received. Nothing a
// job or its handlers throw leaves the worker.

#include "aotl/Exceptions.h"

#include <functional>

namespace AOTL::detail {

template <typename E>
struct ActiveJob {
  using Exception = E;

  std::function<void()> call;
  std::function<void(const E&)> onError;
  std::function<void()> onDisposed;

  // Runs the job as a worker does.
  void Execute() const noexcept {
    if (!call) return;
    try {
      call();
    } catch (const disposed_exception&) {
      RunHandler(onDisposed);
    } catch (const E& error) {
      RunHandler(onError, error);
    } catch (...) {
      RunHandler(onError, E());
    }
  }

 private:
  template <typename Handler, typename... Args>
  static void RunHandler(const Handler& handler, const Args&... args) noexcept {
    if (!handler) return;
    try {
      handler(args...);
    } catch (...) {
      // A handler has nobody left to report to.
    }
  }
};

}  // namespace AOTL::detail
