#pragma once
// Owners of libcurl's handles (easy, multi, share) and string lists, so every path releases them
// (see tools/UniqueHandle.h for what every owner does).
//
//   hftp::detail::UniqueCurlEasy handle = hftp::detail::CreateEasyHandle();  // see CurlGlobal.h
//   hftp::detail::UniqueCurlSlist headers;
//   hftp::detail::AppendToList(headers, "X-Trace: 1");
//   curl_easy_setopt(handle.Get(), CURLOPT_HTTPHEADER, headers.Get());
//
//   hftp::detail::UniqueCurlMulti multi(curl_multi_init());
//   hftp::detail::UniqueCurlShare share(curl_share_init());
//
// curl_share_cleanup refuses (and keeps the handle) while an easy handle still uses the share, so
// the easy handles must let go of it first. Thread-compatible, like the handles themselves.

#include "tools/UniqueHandle.h"

#include <curl/curl.h>

#include <string>

namespace hftp::detail {

using UniqueCurlEasy = Tools::UniqueHandle<Tools::HandleTraits<CURL*, &curl_easy_cleanup>>;
using UniqueCurlMulti = Tools::UniqueHandle<Tools::HandleTraits<CURLM*, &curl_multi_cleanup>>;
using UniqueCurlShare = Tools::UniqueHandle<Tools::HandleTraits<CURLSH*, &curl_share_cleanup>>;
// A list of strings (request headers...), null while empty.
using UniqueCurlSlist = Tools::UniqueHandle<Tools::HandleTraits<curl_slist*, &curl_slist_free_all>>;

// Appends a copy of `text`; false when libcurl could not (out of memory), the list unchanged.
inline bool AppendToList(UniqueCurlSlist& list, const std::string& text) noexcept {
  curl_slist* const head = curl_slist_append(list.Get(), text.c_str());
  if (head == nullptr) return false;
  // The head stays the same unless the list was empty; Reset keeps a head it already owns.
  list.Reset(head);
  return true;
}

}  // namespace hftp::detail
