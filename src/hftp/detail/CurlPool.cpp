#include "hftp/detail/CurlPool.h"

#include <algorithm>

#include "hftp/SharedWorkerHold.h"
#include "hftp/detail/EasyOptions.h"

namespace hftp::detail {
namespace {

// libcurl names the data and the access mode; one lock serves them all.
void LockShare(CURL*, curl_lock_data, curl_lock_access, void* lock) {
  static_cast<ShareLock*>(lock)->Enter();
}

void UnlockShare(CURL*, curl_lock_data, void* lock) {
  static_cast<ShareLock*>(lock)->Leave();
}

// Clears `flag` however curl_multi_perform is left.
class PerformingScope {
 public:
  explicit PerformingScope(bool& flag) noexcept : flag_(flag) { flag_ = true; }
  ~PerformingScope() { flag_ = false; }
  PerformingScope(const PerformingScope&) = delete;
  PerformingScope& operator=(const PerformingScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

CurlPool::CurlPool() : CurlPool(LibcurlMultiApi()) {}

CurlPool::CurlPool(MultiApi& api)
    : api_(api), multi_(curl_multi_init()), share_(curl_share_init()) {
  curl_share_setopt(share_.Get(), CURLSHOPT_LOCKFUNC, &LockShare);
  curl_share_setopt(share_.Get(), CURLSHOPT_UNLOCKFUNC, &UnlockShare);
  curl_share_setopt(share_.Get(), CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
  curl_share_setopt(share_.Get(), CURLSHOPT_USERDATA, &shareLock_);
  MSK_CHECK_THREAD(thread_);
}

// Transfers still inside are the caller's mistake, but must not corrupt memory: while an easy
// handle uses the share, curl_share_cleanup refuses, the lock is freed under it and libcurl's later
// cleanup of the handle calls into freed memory. So every handle leaves the multi and share handles
// first; then the members release the share handle, its lock and the multi handle, in that order.
CurlPool::~CurlPool() {
  MSK_CHECK_THREAD(thread_);
  for (const auto& transfer : transfers_) LeaveMulti(transfer.first);
  transfers_.clear();
}

void CurlPool::Add(IPooled* item, CURL* easyHandle) {
  MSK_CHECK_THREAD(thread_);
  if (!transfers_.emplace(easyHandle, item).second) return;  // keeps its first item
  SetPointerOption(easyHandle, CURLOPT_SHARE, share_.Get());
  if (performing_) {
    pendingAdds_.push_back({item, easyHandle});
  } else {
    EnterMulti(item, easyHandle);
  }
}

void CurlPool::Remove(IPooled* /*item*/, CURL* easyHandle) {
  MSK_CHECK_THREAD(thread_);
  if (transfers_.erase(easyHandle) != 1) return;
  if (!performing_) {
    LeaveMulti(easyHandle);
    return;
  }
  const auto pending =
      std::find_if(pendingAdds_.begin(), pendingAdds_.end(),
                   [easyHandle](const PendingAdd& add) { return add.handle == easyHandle; });
  if (pending != pendingAdds_.end()) {
    pendingAdds_.erase(pending);  // never reached the multi handle
    SetPointerOption(easyHandle, CURLOPT_SHARE, nullptr);
  } else {
    pendingRemovals_.push_back(easyHandle);
  }
}

void CurlPool::Tick() {
  MSK_CHECK_THREAD(thread_);
  int running = 0;
  CURLMcode performed = CURLM_OK;
  {
    const PerformingScope scope(performing_);
    const PerformClock clock;  // for waiters that need to know when libcurl cannot answer
    performed = api_.Perform(multi_.Get(), &running);
  }
  ApplyPendingChanges();
  if (performed == CURLM_CALL_MULTI_PERFORM) return;

  int queued = 0;
  while (const CURLMsg* message = api_.InfoRead(multi_.Get(), &queued)) {
    CURL* const handle = message->easy_handle;
    const CURLcode result = message->data.result;  // read before the message can go away
    const auto found = transfers_.find(handle);
    if (found == transfers_.end() || found->second == nullptr) continue;
    IPooled* const item = found->second;
    Remove(item, handle);
    item->TransferDone(result);
  }
}

bool CurlPool::AwaitActivity(std::chrono::milliseconds limit) {
  MSK_CHECK_THREAD(thread_);
  if (transfers_.empty()) return false;  // an idle pool stays idle
  int active = 0;
  const auto timeout = static_cast<int>(limit.count());
  if (api_.Poll(multi_.Get(), timeout, &active) != CURLM_OK) return false;
  if (active > 0) return true;
  // No socket stirred, but the poll also ends when one of libcurl's own timers runs out, and data
  // may be waiting on one (TLS records already read and decrypted into libcurl's buffer): tick for
  // it now rather than at the next period.
  long untilTimer = -1;
  return api_.Timeout(multi_.Get(), &untilTimer) == CURLM_OK && untilTimer == 0;
}

void CurlPool::EnterMulti(IPooled* item, CURL* handle) {
  if (api_.AddHandle(multi_.Get(), handle) == CURLM_OK) return;
  // Refused (no handle at all, or out of memory): the transfer would never finish through the pool.
  transfers_.erase(handle);
  SetPointerOption(handle, CURLOPT_SHARE, nullptr);
  if (item != nullptr) item->TransferDone(CURLE_FAILED_INIT);
}

void CurlPool::LeaveMulti(CURL* handle) {
  api_.RemoveHandle(multi_.Get(), handle);
  SetPointerOption(handle, CURLOPT_SHARE, nullptr);
}

void CurlPool::ApplyPendingChanges() {
  std::vector<CURL*> removals;
  removals.swap(pendingRemovals_);
  for (CURL* handle : removals) LeaveMulti(handle);
  std::vector<PendingAdd> adds;
  adds.swap(pendingAdds_);
  for (const PendingAdd& add : adds) EnterMulti(add.item, add.handle);
}

}  // namespace hftp::detail
