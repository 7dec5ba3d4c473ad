#pragma once
// Active objects: an object of class T that lives on a worker thread and is reached only through
// jobs queued to that thread. T is constructed, called and destroyed on the worker; callers post
// asynchronous calls or make synchronous ones that block until the worker has run them.
//
//   using Pool = AOTL::detail::ActiveObject<
//       CurlPool, AOTL::SharedThread<Service, std::exception, AOTL::DefaultWorkerThreadPolicy>>;
//
//   std::shared_ptr<Pool> pool = Pool::Create();       // CurlPool() runs on the shared worker
//   pool->Post(&CurlPool::Tick);                       // queued; returns at once
//   pool->Invoke(&CurlPool::Add, item, handle);        // returns once Add has run on the worker
//   void* h = transfer->Invoke(&Service::GetHandle);   // a synchronous call with a result
//   pool.reset();                                      // ~CurlPool() runs on the worker
//   Pool::DestroySharedWorker();                       // engine teardown, after every object
//
// Create(args...) / the constructor: attaches to the policy's worker and constructs T(args...) on
//   it while the caller waits; the arguments are used by reference, so they need only live for the
//   call. When T's constructor throws, the caller gets a std::exception carrying its message (the
//   original exception itself when the caller already is the worker) and the policy is detached
//   again. Create returns the active object as std::shared_ptr; the constructor is public as well,
//   for an active object held by value.
// Post(member, args...): queues one call of `member` (a member function of T, or any callable
//   taking T& first) with copies of `args`, bound to a weak reference of the object, and returns at
//   once. If the object is gone by the time the job runs, nothing happens; an exception thrown by
//   the call is dropped.
// Invoke(member, args...): the same call, synchronously; returns its result. On the worker itself
//   it runs inline (waiting for its own queue would never end); elsewhere the caller blocks, with
//   the arguments used by reference, until the worker has run it. An exception thrown by the call
//   reaches the caller as std::exception (AOTL::carried_exception) carrying what(): the message
//   survives, the type does not (inline, on the worker, the exception passes unchanged). If the
//   object is gone, Invoke returns normally: nothing for void, a value-initialised result (null
//   for a pointer) otherwise.
// Destroy(): destroys T on the worker and waits for it; later calls find the object gone. The
//   destructor does the same, then detaches (and with OwnThread stops and joins its worker).
//   T's destructor must not throw.
// IsWorkerThread(): true on the worker that hosts the object.
// SharedWorker(), DestroySharedWorker(): static, with the SharedThread policy; see
// ThreadPolicies.h.
//
// Calls are jobs: one job per call, run one at a time in the order posted. An own-thread active
// object may be released by one of its own jobs; the worker then ends after that job.
//
// Thread-safety: Post, Invoke, Destroy and IsWorkerThread may be called from any thread, at the
// same time, for as long as the active object exists; only its destruction must not race with them.

#include "aotl/Exceptions.h"
#include "aotl/ThreadPolicies.h"
#include "aotl/detail/SyncResult.h"

#include <functional>
#include <memory>
#include <tuple>
#include <type_traits>
#include <utility>

namespace AOTL::detail {

template <typename T, typename Policy>
class ActiveObject : public Policy {
 public:
  using Exception = typename Policy::Exception;
  using Job = typename Policy::Job;

  template <typename... Args>
  static std::shared_ptr<ActiveObject> Create(Args&&... args) {
    return std::make_shared<ActiveObject>(std::forward<Args>(args)...);
  }

  template <typename... Args>
  explicit ActiveObject(Args&&... args) {
    auto create = [&] { Adopt(new T(std::forward<Args>(args)...)); };
    if (this->IsWorkerThread()) {
      create();
    } else {
      CallAndWait<void>(create);
    }
  }

  ~ActiveObject() { Destroy(); }

  ActiveObject(const ActiveObject&) = delete;
  ActiveObject& operator=(const ActiveObject&) = delete;

  template <typename Member, typename... Args>
  void Post(Member member, Args&&... args) {
    Job job;
    job.call = [target = weak_, member,
                bound = std::make_tuple(std::forward<Args>(args)...)]() mutable {
      const std::shared_ptr<T> object = Lock(target);
      std::apply([&](auto&... arg) { std::invoke(member, *object, arg...); }, bound);
    };
    Policy::Post(std::move(job));
  }

  template <typename Member, typename... Args>
  std::remove_cv_t<std::invoke_result_t<Member, T&, Args...>> Invoke(Member member,
                                                                     Args&&... args) {
    using R = std::remove_cv_t<std::invoke_result_t<Member, T&, Args...>>;
    if (this->IsWorkerThread()) {
      const std::shared_ptr<T> object = weak_.lock();
      if (!object) return R();
      return std::invoke(member, *object, std::forward<Args>(args)...);
    }
    return CallAndWait<R>([&]() -> R {
      const std::shared_ptr<T> object = Lock(weak_);
      return std::invoke(member, *object, std::forward<Args>(args)...);
    });
  }

  void Destroy() {
    if (this->IsWorkerThread()) {
      DestroyHere();
    } else {
      CallAndWait<void>([this] { DestroyHere(); });
    }
  }

 private:
  static std::shared_ptr<T> Lock(const std::weak_ptr<T>& target) {
    std::shared_ptr<T> object = target.lock();
    if (!object) throw disposed_exception();
    return object;
  }

  // Runs on the worker.
  void Adopt(T* created) {
    object_.reset(created);
    weak_ = object_;
  }

  // Runs on the worker.
  void DestroyHere() noexcept { object_.reset(); }

  // Queues `target` as one job and blocks until the worker has run it.
  template <typename R>
  R CallAndWait(std::function<R()> target) {
    SyncResult<R, Exception> result;
    Job job;
    if constexpr (std::is_void_v<R>) {
      job.call = HlpCall<void>{std::move(target), [&result] { result.SetResult(); }};
    } else {
      job.call =
          HlpCall<R>{std::move(target), [&result](R value) { result.SetResult(std::move(value)); }};
    }
    job.onError = [&result](const Exception& error) { result.SetException(error); };
    job.onDisposed = [&result] { result.SetDisposed(); };
    Policy::Post(std::move(job));
    return result.Wait();
  }

  std::shared_ptr<T> object_;  // the only strong owner; touched on the worker only
  std::weak_ptr<T> weak_;      // set once at creation; what queued calls hold
};

}  // namespace AOTL::detail
