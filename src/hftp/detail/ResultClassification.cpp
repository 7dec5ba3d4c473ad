#include "hftp/detail/ResultClassification.h"

#include <algorithm>
#include <initializer_list>

namespace hftp::detail {
namespace {

struct ResultGroup {
  Status status;
  std::initializer_list<int> codes;
};

// Numbers as in libcurl's CURLcode; a comment names some members of each group.
const ResultGroup kGroups[] = {
    {StatusCompleted, {0}},  // OK
    {StatusAborted, {42}},   // ABORTED_BY_CALLBACK
    {StatusRefused, {23}},   // WRITE_ERROR: one of our handlers ended the transfer
    // COULDNT_CONNECT, HTTP_RETURNED_ERROR, READ_ERROR, OPERATION_TIMEDOUT, INTERFACE_FAILED
    {StatusConnectionError, {7, 15, 16, 19, 22, 26, 28, 30, 45}},
    {StatusProxyError, {5}},  // COULDNT_RESOLVE_PROXY
    // REMOTE_ACCESS_DENIED, SSL_CERTPROBLEM, SSL_CIPHER, LOGIN_DENIED
    {StatusAccessDenied, {9, 10, 11, 12, 13, 46, 58, 59, 60, 67}},
    // UNSUPPORTED_PROTOCOL, URL_MALFORMAT, COULDNT_RESOLVE_HOST, HTTP_POST_ERROR
    {StatusAddressError, {1, 3, 4, 6, 24, 34, 62}},
    // PARTIAL_FILE, RANGE_ERROR, BAD_DOWNLOAD_RESUME, TOO_MANY_REDIRECTS, SEND_ERROR, RECV_ERROR
    {StatusTransferError, {18, 20, 29, 31, 32, 33, 36, 37, 47, 55, 56, 65}},
    // FAILED_INIT, OUT_OF_MEMORY, SSL_CONNECT_ERROR, BAD_FUNCTION_ARGUMENT, GOT_NOTHING, ...
    {StatusError, {2,  8,  14, 17, 21, 25, 27, 35, 38, 39, 40, 41, 43, 44,
                   48, 49, 50, 51, 52, 53, 54, 57, 61, 63, 64, 66, 75, 76}},
    // Certificate problems among the newer codes: SSL_CACERT_BADFILE (the trusted roots could not
    // be read), SSL_CRL_BADFILE, SSL_ISSUER_ERROR, SSL_PINNEDPUBKEYNOTMATCH,
    // SSL_INVALIDCERTSTATUS, SSL_CLIENTCERT.
    {StatusAccessDenied, {77, 82, 83, 90, 91, 98}},
};

}  // namespace

Status ClassifyResult(int resultCode) noexcept {
  for (const ResultGroup& group : kGroups) {
    if (std::find(group.codes.begin(), group.codes.end(), resultCode) != group.codes.end()) {
      return group.status;
    }
  }
  return StatusError;
}

}  // namespace hftp::detail
