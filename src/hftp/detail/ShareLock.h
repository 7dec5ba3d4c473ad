#pragma once
// The lock that serialises libcurl's access to the data of one share handle (the pool's shared DNS
// cache): a CRITICAL_SECTION on Windows, a recursive mutex elsewhere (a critical section may be
// entered again by the thread that holds it, and the portable build keeps that behaviour).
//
//   hftp::detail::ShareLock lock;
//   curl_share_setopt(share, CURLSHOPT_USERDATA, &lock);  // the callbacks call Enter and Leave
//
// Thread-safe: that is its purpose. Neither copyable nor movable, since libcurl keeps its address.

#include <memory>

namespace hftp::detail {

class ShareLock {
 public:
  ShareLock();
  ~ShareLock();
  ShareLock(const ShareLock&) = delete;
  ShareLock& operator=(const ShareLock&) = delete;

  void Enter() noexcept;
  void Leave() noexcept;

 private:
  struct State;  // the platform's lock
  const std::unique_ptr<State> state_;
};

}  // namespace hftp::detail
