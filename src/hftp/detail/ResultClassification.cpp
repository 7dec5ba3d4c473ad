#include "hftp/detail/ResultClassification.h"

#include <curl/curl.h>

#include <algorithm>
#include <initializer_list>
#include <utility>

#include "hftp/RevocationCheck.h"

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

using Kind = TransferResult::Kind;

bool IsOneOf(int code, std::initializer_list<int> codes) noexcept {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

// The server's certificate did not verify: peer verification, the trusted roots, revocation list,
// issuer check, pinned key, certificate status, and the client-certificate failures Schannel
// reports.
constexpr std::initializer_list<int> kCertificateCodes = {CURLE_PEER_FAILED_VERIFICATION,
                                                          CURLE_SSL_CACERT_BADFILE,
                                                          CURLE_SSL_CRL_BADFILE,
                                                          CURLE_SSL_ISSUER_ERROR,
                                                          CURLE_SSL_PINNEDPUBKEYNOTMATCH,
                                                          CURLE_SSL_INVALIDCERTSTATUS,
                                                          CURLE_SSL_CLIENTCERT};

// Asking again the same way gives the same answer.
constexpr std::initializer_list<int> kUnrecoverableCodes = {
    CURLE_UNSUPPORTED_PROTOCOL, CURLE_URL_MALFORMAT, CURLE_NOT_BUILT_IN, CURLE_TOO_MANY_REDIRECTS,
    CURLE_BAD_CONTENT_ENCODING};

// A success that carries the resource: 204 and 205 say there is none.
bool IsSuccessStatus(int code) noexcept {
  return code >= 200 && code <= 299 && code != 204 && code != 205;
}

TransferResult Result(Kind kind, const TransferFacts& facts, std::string message) {
  TransferResult result;
  result.kind = kind;
  result.httpStatus = facts.responseCode;
  result.resultCode = facts.resultCode;
  result.message = std::move(message);
  result.connected = facts.connected;
  return result;
}

}  // namespace

TransferResult ClassifyTransfer(const TransferFacts& facts) {
  const int code = facts.resultCode;
  // A 407 comes only from a proxy: libcurl ends on it once no credentials it has could answer.
  if (facts.responseCode == 407 || facts.proxyConnectCode == 407) {
    return Result(Kind::ProxyAuthFailed, facts, facts.message);
  }
  // With a proxy libcurl connects to the proxy alone (the target's name is the proxy's to
  // resolve): a failed lookup, refusal or connect time-out before the proxy answered is the
  // proxy's. A failed TLS handshake is the target's, behind the tunnel.
  const bool proxyUnanswered = facts.throughProxy && facts.proxyConnectCode == 0;
  if (proxyUnanswered && (code == CURLE_COULDNT_RESOLVE_PROXY || code == CURLE_COULDNT_CONNECT ||
                          (code == CURLE_OPERATION_TIMEDOUT && !facts.connected))) {
    return Result(Kind::ProxyUnreachable, facts, facts.message);
  }
  if (facts.endedOnErrorStatus ||
      (code == CURLE_HTTP_RETURNED_ERROR && facts.responseCode >= 400)) {
    return Result(Kind::HttpStatus, facts, "");
  }
  if (facts.rangeUndeliverable) {
    return Result(Kind::RangeUnusable, facts, "the range asked for lies past the resource's end");
  }
  if (code == CURLE_OK) {
    if (facts.headersOnly) return Result(Kind::Completed, facts, "");
    // A 204, a 304 or a redirect without a Location is an answer, but not the resource.
    if (facts.responseCode != 0 && !IsSuccessStatus(facts.responseCode)) {
      return Result(Kind::HttpStatus, facts, "");
    }
    if (facts.bodyWithheld) {
      return Result(Kind::ConnectionLost, facts, "the server withheld the body");
    }
    return Result(Kind::Completed, facts, "");
  }
  if (code == CURLE_ABORTED_BY_CALLBACK) return Result(Kind::Cancelled, facts, facts.message);
  if (code == CURLE_WRITE_ERROR) return Result(Kind::WriteRefused, facts, facts.message);
  if (facts.certificateRevoked) {
    return Result(Kind::Certificate, facts, kRevokedCertificateWords);
  }
  if (IsOneOf(code, kCertificateCodes)) return Result(Kind::Certificate, facts, facts.message);
  if (code == CURLE_OPERATION_TIMEDOUT) {
    // libcurl ends all three limits with the same code: the time taken and the connection tell
    // them apart. A stall takes the stall limit's time without data, so a connected transfer that
    // ended sooner met the whole-transfer limit (libcurl starts its clock a little before the
    // one the elapsed time is read from).
    const bool wholeLimit = facts.totalTimeout.count() > 0;
    if (wholeLimit && facts.elapsed >= facts.totalTimeout) {
      return Result(Kind::TimedOut, facts, facts.message);
    }
    if (!facts.connected) return Result(Kind::CannotConnect, facts, facts.message);
    const bool stallPossible =
        facts.stallTimeout.count() > 0 && facts.elapsed >= facts.stallTimeout;
    return Result(wholeLimit && !stallPossible ? Kind::TimedOut : Kind::Stalled, facts,
                  facts.message);
  }
  if (IsOneOf(code, {CURLE_COULDNT_RESOLVE_PROXY, CURLE_COULDNT_RESOLVE_HOST, CURLE_COULDNT_CONNECT,
                     CURLE_SSL_CONNECT_ERROR})) {
    return Result(Kind::CannotConnect, facts, facts.message);
  }
  if (IsOneOf(code, {CURLE_PARTIAL_FILE, CURLE_GOT_NOTHING, CURLE_SEND_ERROR, CURLE_RECV_ERROR})) {
    return Result(Kind::ConnectionLost, facts, facts.message);
  }
  if (IsOneOf(code, kUnrecoverableCodes)) return Result(Kind::Unrecoverable, facts, facts.message);
  return Result(Kind::Other, facts, facts.message);
}

Status ClassifyResult(int resultCode) noexcept {
  for (const ResultGroup& group : kGroups) {
    if (std::find(group.codes.begin(), group.codes.end(), resultCode) != group.codes.end()) {
      return group.status;
    }
  }
  return StatusError;
}

}  // namespace hftp::detail
