#pragma once
// Drives every pooled transfer through one libcurl multi handle, with one share handle so that all
// of them use one DNS cache.
//
//   hftp::detail::CurlPool pool;      // normally hosted by the services manager's active object
//   pool.Add(&item, easyHandle);       // enters the handle; the same handle twice is entered once
//   pool.Tick();                       // advances all transfers; tells finished items
//   if (pool.AwaitActivity(2ms)) ...   // more to read or write: worth another Tick soon
//   pool.Remove(&item, easyHandle);    // takes it out again; unknown handles are ignored
//
// Tick runs curl_multi_perform once and then reports each finished transfer: the handle is taken
// out of the pool first, then its item's TransferDone is called. When curl_multi_perform asks to be
// called again, nothing is reported in that tick; the next one performs again.
//
// AwaitActivity waits, at most for the given time, until one of the transfers' sockets is ready
// or one of libcurl's own timers has run out, so that whoever drives the pool can tick again as
// soon as data is there instead of letting it pile up until the next period. A pool without
// transfers answers false at once and calls nothing.
//
// Add and Remove may be called from inside Tick, by the handlers that libcurl calls during
// curl_multi_perform (an observer that releases its service, or starts a new one, from inside a
// notification). libcurl forbids changing the multi handle there, so the pool updates its own map
// at once (a removed item hears nothing more) and applies the change to the multi handle right
// after curl_multi_perform has returned. A handle leaves the share handle together with the multi
// handle, so the share can always be cleaned up once the pool goes. A pool destroyed with transfers
// still inside (which its callers avoid) takes their handles out first; their items hear nothing.
//
// A handle that the multi handle refuses is taken out again and its item is told at once, with
// CURLE_FAILED_INIT, instead of waiting for a completion that would never come.
//
// Threading: not thread-safe. The pool is constructed, called and destroyed on one thread (the
// shared worker; checked: tools/ThreadChecker.h); only the share lock is for libcurl's own use.

#include <curl/curl.h>

#include <chrono>
#include <cstddef>
#include <map>
#include <vector>

#include "hftp/detail/CurlHandles.h"
#include "hftp/detail/IPooled.h"
#include "hftp/detail/MultiApi.h"
#include "hftp/detail/ShareLock.h"
#include "tools/ThreadChecker.h"

namespace hftp::detail {

class CurlPool {
 public:
  CurlPool();
  // `api` must outlive the pool.
  explicit CurlPool(MultiApi& api);
  ~CurlPool();

  CurlPool(const CurlPool&) = delete;
  CurlPool& operator=(const CurlPool&) = delete;

  void Add(IPooled* item, CURL* easyHandle);
  // Only `easyHandle` is used to find the entry.
  void Remove(IPooled* item, CURL* easyHandle);
  void Tick();
  // True when a transfer's socket became ready within `limit`.
  bool AwaitActivity(std::chrono::milliseconds limit);

  std::size_t Size() const noexcept {
    MSK_CHECK_THREAD(thread_);
    return transfers_.size();
  }
  bool Contains(CURL* easyHandle) const {
    MSK_CHECK_THREAD(thread_);
    return transfers_.count(easyHandle) != 0;
  }

 private:
  struct PendingAdd {
    IPooled* item;
    CURL* handle;
  };

  void EnterMulti(IPooled* item, CURL* handle);
  void LeaveMulti(CURL* handle);
  void ApplyPendingChanges();

  MultiApi& api_;
  // Declared first so that it goes last, after the libcurl handles (the handles hold no pointers
  // into it).
  std::map<CURL*, IPooled*> transfers_;
  UniqueCurlMulti multi_;
  ShareLock shareLock_;
  UniqueCurlShare share_;  // cleaned up first, while its lock still exists

  bool performing_ = false;  // inside curl_multi_perform
  std::vector<PendingAdd> pendingAdds_;
  std::vector<CURL*> pendingRemovals_;
  MSK_THREAD_CHECKER(thread_);
};

}  // namespace hftp::detail
