#include "ui/DownloadOutcome.h"

#include "hftp/Status.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

namespace ui {
namespace {

// libcurl's result codes (CURLcode), by number: the engine's observers see numbers only.
constexpr std::int32_t kCouldNotResolveProxy = 5;
constexpr std::int32_t kCouldNotResolveHost = 6;
constexpr std::int32_t kCouldNotConnect = 7;
constexpr std::int32_t kPartialFile = 18;
constexpr std::int32_t kHttpReturnedError = 22;
constexpr std::int32_t kTimedOut = 28;
constexpr std::int32_t kTlsConnectError = 35;
constexpr std::int32_t kGotNothing = 52;
constexpr std::int32_t kSendError = 55;
constexpr std::int32_t kReceiveError = 56;
// The server's certificate did not verify: peer verification, CA file, CRL file, issuer check,
// pinned key, certificate status, and the client-certificate failures Schannel reports.
constexpr std::initializer_list<std::int32_t> kCertificateCodes = {60, 77, 82, 83, 90, 91, 98};

bool IsOneOf(std::int32_t code, std::initializer_list<std::int32_t> codes) noexcept {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

DownloadOutcome Outcome(DownloadResult result, const TransferFacts& facts) {
  DownloadOutcome outcome;
  outcome.result = result;
  if (facts.error) outcome.detail = facts.error->message;
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
  // An error status, as the response's status line said or as libcurl ended the transfer on it.
  int httpStatus = facts.httpStatus;
  const std::int32_t code = facts.resultCode.value_or(facts.error ? facts.error->resultCode : 0);
  if (httpStatus == 0 && code == kHttpReturnedError && facts.error) {
    httpStatus = facts.error->httpStatus;
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
  if (code == kTimedOut) {
    if (limits.totalTimeout.count() > 0 && elapsed >= limits.totalTimeout) {
      return Outcome(DownloadResult::TimedOut, facts);
    }
    return Outcome(connected ? DownloadResult::Stalled : DownloadResult::CannotConnect, facts);
  }
  if (IsOneOf(code,
              {kCouldNotResolveProxy, kCouldNotResolveHost, kCouldNotConnect, kTlsConnectError})) {
    return Outcome(DownloadResult::CannotConnect, facts);
  }
  if (IsOneOf(code, {kPartialFile, kGotNothing, kSendError, kReceiveError})) {
    return Outcome(DownloadResult::ConnectionLost, facts);
  }
  return Outcome(DownloadResult::Failed, facts);
}

}  // namespace ui
