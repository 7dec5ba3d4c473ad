#include "hftp/detail/ResultClassification.h"

#include <curl/curl.h>

#include <algorithm>
#include <initializer_list>

namespace hftp::detail {
namespace {

struct ResultGroup {
  Status status;
  std::initializer_list<int> codes;
};

// The first group that lists a code gives its status. Codes of protocols the engine does not use
// and codes libcurl no longer returns (CURLE_OBSOLETE...) are listed all the same.
const ResultGroup kGroups[] = {
    {StatusCompleted, {CURLE_OK}},
    {StatusAborted, {CURLE_ABORTED_BY_CALLBACK}},
    // One of our handlers ended the transfer.
    {StatusRefused, {CURLE_WRITE_ERROR}},
    {StatusConnectionError,
     {CURLE_COULDNT_CONNECT, CURLE_FTP_CANT_GET_HOST, CURLE_HTTP2, CURLE_FTP_COULDNT_RETR_FILE,
      CURLE_HTTP_RETURNED_ERROR, CURLE_READ_ERROR, CURLE_OPERATION_TIMEDOUT, CURLE_FTP_PORT_FAILED,
      CURLE_INTERFACE_FAILED}},
    {StatusProxyError, {CURLE_COULDNT_RESOLVE_PROXY}},
    {StatusAccessDenied,
     {CURLE_REMOTE_ACCESS_DENIED, CURLE_FTP_ACCEPT_FAILED, CURLE_FTP_WEIRD_PASS_REPLY,
      CURLE_FTP_ACCEPT_TIMEOUT, CURLE_FTP_WEIRD_PASV_REPLY, CURLE_OBSOLETE46, CURLE_SSL_CERTPROBLEM,
      CURLE_SSL_CIPHER, CURLE_PEER_FAILED_VERIFICATION, CURLE_LOGIN_DENIED}},
    {StatusAddressError,
     {CURLE_UNSUPPORTED_PROTOCOL, CURLE_URL_MALFORMAT, CURLE_NOT_BUILT_IN,
      CURLE_COULDNT_RESOLVE_HOST, CURLE_OBSOLETE24, CURLE_HTTP_POST_ERROR, CURLE_OBSOLETE62}},
    {StatusTransferError,
     {CURLE_PARTIAL_FILE, CURLE_OBSOLETE20, CURLE_OBSOLETE29, CURLE_FTP_COULDNT_USE_REST,
      CURLE_OBSOLETE32, CURLE_RANGE_ERROR, CURLE_BAD_DOWNLOAD_RESUME, CURLE_FILE_COULDNT_READ_FILE,
      CURLE_TOO_MANY_REDIRECTS, CURLE_SEND_ERROR, CURLE_RECV_ERROR, CURLE_SEND_FAIL_REWIND}},
    // libcurl could not do what was asked of it.
    {StatusError,
     {CURLE_FAILED_INIT, CURLE_OUT_OF_MEMORY, CURLE_FUNCTION_NOT_FOUND, CURLE_BAD_FUNCTION_ARGUMENT,
      CURLE_UNKNOWN_OPTION, CURLE_SETOPT_OPTION_SYNTAX, CURLE_SSL_ENGINE_NOTFOUND,
      CURLE_SSL_ENGINE_SETFAILED, CURLE_SSL_ENGINE_INITFAILED}},
    // The server's answer or the TLS handshake went wrong.
    {StatusError,
     {CURLE_WEIRD_SERVER_REPLY, CURLE_UPLOAD_FAILED, CURLE_SSL_CONNECT_ERROR, CURLE_GOT_NOTHING,
      CURLE_BAD_CONTENT_ENCODING, CURLE_FILESIZE_EXCEEDED, CURLE_USE_SSL_FAILED}},
    // Other protocols' failures and codes no longer used.
    {StatusError,
     {CURLE_FTP_WEIRD_227_FORMAT, CURLE_FTP_COULDNT_SET_TYPE, CURLE_QUOTE_ERROR,
      CURLE_LDAP_CANNOT_BIND, CURLE_LDAP_SEARCH_FAILED, CURLE_OBSOLETE40, CURLE_OBSOLETE44,
      CURLE_OBSOLETE50, CURLE_OBSOLETE51, CURLE_OBSOLETE57, CURLE_OBSOLETE75, CURLE_OBSOLETE76}},
    // Certificate problems among the newer codes: the trusted roots could not be read, and the
    // revocation list, issuer, pinned key, certificate status and client certificate checks.
    {StatusAccessDenied,
     {CURLE_SSL_CACERT_BADFILE, CURLE_SSL_CRL_BADFILE, CURLE_SSL_ISSUER_ERROR,
      CURLE_SSL_PINNEDPUBKEYNOTMATCH, CURLE_SSL_INVALIDCERTSTATUS, CURLE_SSL_CLIENTCERT}},
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
