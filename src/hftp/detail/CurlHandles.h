#pragma once
// Owners of libcurl's easy handles and string lists, so every path releases them.
//
//   hftp::detail::EasyHandle handle = hftp::detail::CreateEasyHandle();  // see CurlGlobal.h
//   hftp::detail::StringList headers;
//   headers.Append("X-Trace: 1");
//   curl_easy_setopt(handle.get(), CURLOPT_HTTPHEADER, headers.get());
//
// Thread-compatible, like the handles themselves.

#include <curl/curl.h>

#include <memory>
#include <string>

namespace hftp::detail {

struct EasyHandleDeleter {
  void operator()(CURL* handle) const noexcept { curl_easy_cleanup(handle); }
};
using EasyHandle = std::unique_ptr<CURL, EasyHandleDeleter>;

class StringList {
 public:
  StringList() = default;
  StringList(const StringList&) = delete;
  StringList& operator=(const StringList&) = delete;
  ~StringList() { curl_slist_free_all(head_); }

  // Appends a copy of `text`; false when libcurl could not (out of memory), the list unchanged.
  bool Append(const std::string& text) noexcept {
    curl_slist* const grown = curl_slist_append(head_, text.c_str());
    if (grown == nullptr) return false;
    head_ = grown;
    return true;
  }

  // Null while the list is empty.
  curl_slist* get() const noexcept { return head_; }

 private:
  curl_slist* head_ = nullptr;
};

}  // namespace hftp::detail
