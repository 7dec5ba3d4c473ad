#include "ui/DownloadOutcome.h"

#include "hftp/Status.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <initializer_list>

namespace ui {
namespace {

// The server's certificate did not verify: peer verification, CA file, CRL file, issuer check,
// pinned key, certificate status, and the client-certificate failures Schannel reports.
constexpr std::initializer_list<std::int32_t> kCertificateCodes = {CURLE_PEER_FAILED_VERIFICATION,
                                                                   CURLE_SSL_CACERT_BADFILE,
                                                                   CURLE_SSL_CRL_BADFILE,
                                                                   CURLE_SSL_ISSUER_ERROR,
                                                                   CURLE_SSL_PINNEDPUBKEYNOTMATCH,
                                                                   CURLE_SSL_INVALIDCERTSTATUS,
                                                                   CURLE_SSL_CLIENTCERT};

bool IsOneOf(std::int32_t code, std::initializer_list<std::int32_t> codes) noexcept {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

DownloadOutcome Outcome(DownloadResult result, const TransferFacts& facts) {
  DownloadOutcome outcome;
  outcome.result = result;
  if (facts.error) outcome.detail = facts.error->message;
  outcome.resultCode = facts.resultCode.value_or(facts.error ? facts.error->resultCode : 0);
  return outcome;
}

}  // namespace

int HttpStatusOfLine(const std::string& line) noexcept {
  if (line.compare(0, 5, "HTTP/") != 0) return 0;
  const auto space = line.find(' ');
  if (space == std::string::npos) return 0;
  int code = 0;
  std::size_t digits = 0;
  for (auto at = space + 1; at < line.size() && digits < 3; ++at, ++digits) {
    if (!std::isdigit(static_cast<unsigned char>(line[at]))) break;
    code = code * 10 + (line[at] - '0');
  }
  return digits == 3 ? code : 0;
}

DownloadOutcome ClassifyFailure(const TransferFacts& facts, std::chrono::milliseconds elapsed,
                                const TransferLimits& limits) {
  if (facts.cannotWrite) return Outcome(DownloadResult::CannotWrite, facts);
  if (facts.shortBody) {
    DownloadOutcome outcome = Outcome(DownloadResult::ConnectionLost, facts);
    if (outcome.detail.empty()) outcome.detail = "the server sent less than it announced";
    return outcome;
  }
  if (facts.rangeUnusable) {
    DownloadOutcome outcome = Outcome(DownloadResult::Failed, facts);
    outcome.detail = "the server's range does not continue the file";
    return outcome;
  }
  // An error status, as the response's status line said or as libcurl ended the transfer on it.
  int httpStatus = facts.httpStatus;
  const std::int32_t code = facts.resultCode.value_or(facts.error ? facts.error->resultCode : 0);
  if (httpStatus == 0 && code == CURLE_HTTP_RETURNED_ERROR && facts.error) {
    httpStatus = facts.error->httpStatus;
  }
  // A 407 comes only from a proxy: libcurl ends on it once no credentials it has could answer.
  if (httpStatus == 407 || (facts.error && facts.error->proxyStatus == 407)) {
    return Outcome(DownloadResult::ProxyAuthFailed, facts);
  }
  if (httpStatus >= 400) {
    DownloadOutcome outcome;
    outcome.result = DownloadResult::HttpError;
    outcome.httpStatus = httpStatus;
    return outcome;
  }
  if (facts.status == hftp::StatusAccessDenied && IsOneOf(code, kCertificateCodes)) {
    return Outcome(DownloadResult::CertificateNotTrusted, facts);
  }
  const bool connected = facts.error && facts.error->connected;
  if (code == CURLE_OPERATION_TIMEDOUT) {
    if (limits.totalTimeout.count() > 0 && elapsed >= limits.totalTimeout) {
      return Outcome(DownloadResult::TimedOut, facts);
    }
    return Outcome(connected ? DownloadResult::Stalled : DownloadResult::CannotConnect, facts);
  }
  if (IsOneOf(code, {CURLE_COULDNT_RESOLVE_PROXY, CURLE_COULDNT_RESOLVE_HOST, CURLE_COULDNT_CONNECT,
                     CURLE_SSL_CONNECT_ERROR})) {
    return Outcome(DownloadResult::CannotConnect, facts);
  }
  if (IsOneOf(code, {CURLE_PARTIAL_FILE, CURLE_GOT_NOTHING, CURLE_SEND_ERROR, CURLE_RECV_ERROR})) {
    return Outcome(DownloadResult::ConnectionLost, facts);
  }
  return Outcome(DownloadResult::Failed, facts);
}

}  // namespace ui
