#pragma once
// Every curl_easy_setopt of the engine goes through these functions, one per kind of value, so a
// test can record the exact sequence of options a transfer sets (ScopedOptionRecordingForTesting
// in hftp/ForTesting.h):
//
//   hftp::detail::SetLongOption(handle, CURLOPT_NOSIGNAL, 1L);
//
// Thread-safety: as curl_easy_setopt: any thread, for a handle that thread owns.

#include <curl/curl.h>

namespace hftp::detail {

CURLcode SetLongOption(CURL* handle, CURLoption option, long value) noexcept;
CURLcode SetOffsetOption(CURL* handle, CURLoption option, curl_off_t value) noexcept;
// `text` may be null (resets the option); libcurl copies string options.
CURLcode SetTextOption(CURL* handle, CURLoption option, const char* text) noexcept;
// An untyped pointer handed through to a callback, or data libcurl reads later (post fields).
CURLcode SetPointerOption(CURL* handle, CURLoption option, const void* pointer) noexcept;
CURLcode SetListOption(CURL* handle, CURLoption option, curl_slist* list) noexcept;
// The write and the header handler share curl_write_callback's signature.
CURLcode SetCallbackOption(CURL* handle, CURLoption option, curl_write_callback callback) noexcept;
// The progress callback (CURLOPT_XFERINFOFUNCTION).
CURLcode SetCallbackOption(CURL* handle, CURLoption option,
                           curl_xferinfo_callback callback) noexcept;
// The handler of a ready connection (CURLOPT_PREREQFUNCTION).
CURLcode SetCallbackOption(CURL* handle, CURLoption option, curl_prereq_callback callback) noexcept;

}  // namespace hftp::detail
