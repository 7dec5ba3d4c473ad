// The decisions a download makes between and after attempts: where a response's body goes in a
// resumed download, how a failure is named, whether it is tried again and after how long.
#include "hftp/Status.h"
#include "ui/DownloadObserver.h"
#include "ui/DownloadOutcome.h"
#include "ui/RetryPolicy.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using ui::DownloadOutcome;
using ui::DownloadResult;
using ui::TransferFacts;

TEST(BodyPlacement, OnlyA206OfTheSameResourceThatStartsWhereTheFileEndsAppends) {
  struct Case {
    std::uint64_t resumeFrom;
    int statusCode;
    std::optional<std::int64_t> rangeFirst;
    std::int64_t total;  // as the response announced it
    std::optional<std::uint64_t> placement;
  };
  const std::optional<std::uint64_t> nowhere;
  const Case cases[] = {
      {1000, 206, 1000, 5000, 1000},
      {1000, 200, std::nullopt, 6000, 0},  // the whole resource: the file starts over
      {1000, 206, 0, 5000, nowhere},       // a range, but not the one asked for
      {1000, 206, 999, 5000, nowhere},
      {1000, 206, std::nullopt, 5000, nowhere},  // no Content-Range to check
      {1000, 206, 1000, 6000, nowhere},          // the resource changed since the file was begun
      {1000, 206, 1000, 0, nowhere},             // a size unknown now ("bytes 1000-4999/*")
      {0, 206, 0, 5000, 0},                      // nothing to resume
  };
  for (const Case& c : cases) {
    ui::TargetOptions target;
    target.resumeFrom = c.resumeFrom;
    target.resourceSize = 5000;
    EXPECT_EQ(ui::BodyPlacement(target, hftp::ResponseInfo{c.statusCode, c.rangeFirst}, c.total),
              c.placement)
        << c.resumeFrom << " " << c.statusCode << " " << c.total;
  }
  // A file begun from a resource of unknown size cannot be continued.
  ui::TargetOptions unknown;
  unknown.resumeFrom = 1000;
  EXPECT_EQ(ui::BodyPlacement(unknown, hftp::ResponseInfo{206, 1000}, 5000), nowhere);
}

TEST(RetryPolicy, DelaysDoubleFromOneSecondUpToThirty) {
  const std::pair<int, int> cases[] = {{0, 0},  {1, 1},  {2, 2},  {3, 4},    {4, 8},
                                       {5, 16}, {6, 30}, {7, 30}, {100, 30}, {-3, 0}};
  for (const auto& [retry, delay] : cases)
    EXPECT_EQ(ui::RetryDelay(retry), seconds(delay)) << retry;
}

TEST(RetryPolicy, AnswersThatARetryWouldRepeatAreFinal) {
  struct Case {
    DownloadResult result;
    int httpStatus;
    bool retryable;
  };
  const Case cases[] = {
      {DownloadResult::HttpError, 404, false},
      {DownloadResult::HttpError, 400, false},
      {DownloadResult::HttpError, 499, false},
      {DownloadResult::HttpError, 500, true},
      {DownloadResult::HttpError, 503, true},
      {DownloadResult::CannotConnect, 0, true},
      {DownloadResult::Stalled, 0, true},
      {DownloadResult::TimedOut, 0, true},
      {DownloadResult::ConnectionLost, 0, true},
      {DownloadResult::NoNetwork, 0, true},
      {DownloadResult::Failed, 0, true},
      {DownloadResult::CertificateNotTrusted, 0, false},
      {DownloadResult::CannotWrite, 0, false},
      {DownloadResult::Cancelled, 0, false},
      {DownloadResult::ChecksumMismatch, 0, false},
      {DownloadResult::Completed, 0, false},
      {DownloadResult::ProxyUnreachable, 0, true},
      {DownloadResult::ProxyAuthFailed, 0, false},
  };
  for (const Case& c : cases) {
    DownloadOutcome outcome;
    outcome.result = c.result;
    outcome.httpStatus = c.httpStatus;
    EXPECT_EQ(ui::IsRetryable(outcome), c.retryable)
        << static_cast<int>(c.result) << " " << c.httpStatus;
  }
}

TEST(ClassifyFailure, NamesEachWayATransferCanFail) {
  // A libcurl account of a failure.
  const auto error = [](std::int32_t code, bool connected, int httpStatus = 0) {
    hftp::TransferError e;
    e.resultCode = code;
    e.message = "libcurl says " + std::to_string(code);
    e.connected = connected;
    e.httpStatus = httpStatus;
    return e;
  };
  const auto facts = [](int status, std::optional<std::int32_t> code,
                        std::optional<hftp::TransferError> report, int httpStatus = 0) {
    TransferFacts f;
    f.status = status;
    f.resultCode = code;
    f.error = std::move(report);
    f.httpStatus = httpStatus;
    return f;
  };
  hftp::TransferError connectRefused = error(56, true);
  connectRefused.proxyStatus = 407;
  TransferFacts unwritable;
  unwritable.cannotWrite = true;
  TransferFacts shortBody = facts(hftp::StatusCompleted, 0, std::nullopt);
  shortBody.shortBody = true;
  TransferFacts rangeUnusable;  // refused before the first block: no final notification
  rangeUnusable.rangeUnusable = true;
  struct Case {
    const char* what;
    TransferFacts facts;
    milliseconds elapsed;
    DownloadResult result;
    int httpStatus;
    std::string detail;
  };
  const Case cases[] = {
      {"404 from the status line", facts(hftp::StatusNotFound, std::nullopt, std::nullopt, 404),
       milliseconds(10), DownloadResult::HttpError, 404, ""},
      {"503 from the status line", facts(hftp::StatusError, std::nullopt, std::nullopt, 503),
       milliseconds(10), DownloadResult::HttpError, 503, ""},
      {"libcurl's fail-on-error", facts(hftp::StatusConnectionError, 22, error(22, true, 410)),
       milliseconds(10), DownloadResult::HttpError, 410, ""},
      {"407 from the proxy", facts(hftp::StatusConnectionError, 22, error(22, true, 407)),
       milliseconds(10), DownloadResult::ProxyAuthFailed, 0, "libcurl says 22"},
      {"407 to the tunnel's CONNECT", facts(hftp::StatusTransferError, 56, connectRefused),
       milliseconds(10), DownloadResult::ProxyAuthFailed, 0, "libcurl says 56"},
      {"refused", facts(hftp::StatusConnectionError, 7, error(7, false)), milliseconds(10),
       DownloadResult::CannotConnect, 0, "libcurl says 7"},
      {"unknown host", facts(hftp::StatusAddressError, 6, error(6, false)), milliseconds(10),
       DownloadResult::CannotConnect, 0, "libcurl says 6"},
      {"TLS handshake", facts(hftp::StatusError, 35, error(35, true)), milliseconds(10),
       DownloadResult::CannotConnect, 0, "libcurl says 35"},
      {"connect time-out", facts(hftp::StatusConnectionError, 28, error(28, false)), seconds(30),
       DownloadResult::CannotConnect, 0, "libcurl says 28"},
      {"stall", facts(hftp::StatusConnectionError, 28, error(28, true)), seconds(40),
       DownloadResult::Stalled, 0, "libcurl says 28"},
      {"whole-transfer limit", facts(hftp::StatusConnectionError, 28, error(28, true)), seconds(60),
       DownloadResult::TimedOut, 0, "libcurl says 28"},
      {"certificate", facts(hftp::StatusAccessDenied, 60, error(60, true)), milliseconds(10),
       DownloadResult::CertificateNotTrusted, 0, "libcurl says 60"},
      {"newer certificate code", facts(hftp::StatusAccessDenied, 90, error(90, true)),
       milliseconds(10), DownloadResult::CertificateNotTrusted, 0, "libcurl says 90"},
      {"dropped", facts(hftp::StatusTransferError, 18, error(18, true)), milliseconds(10),
       DownloadResult::ConnectionLost, 0, "libcurl says 18"},
      {"reset", facts(hftp::StatusTransferError, 56, error(56, true)), milliseconds(10),
       DownloadResult::ConnectionLost, 0, "libcurl says 56"},
      {"short body", shortBody, milliseconds(10), DownloadResult::ConnectionLost, 0,
       "the server sent less than it announced"},
      {"target", unwritable, milliseconds(10), DownloadResult::CannotWrite, 0, ""},
      {"a range that does not continue the file", rangeUnusable, milliseconds(10),
       DownloadResult::Failed, 0, "the server's range does not continue the file"},
      {"anything else", facts(hftp::StatusAccessDenied, 67, error(67, true)), milliseconds(10),
       DownloadResult::Failed, 0, "libcurl says 67"},
      {"aborted without a word", facts(hftp::StatusAborted, std::nullopt, std::nullopt),
       milliseconds(10), DownloadResult::Failed, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const DownloadOutcome outcome =
        ui::ClassifyFailure(c.facts, c.elapsed, ui::TransferLimits{seconds(60)});
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.httpStatus, c.httpStatus);
    EXPECT_EQ(outcome.detail, c.detail);
  }
}

TEST(ClassifyFailure, HttpStatusOfAStatusLine) {
  const std::pair<const char*, int> cases[] = {
      {"HTTP/1.1 404 Not Found\r\n", 404},
      {"HTTP/2 503\r\n", 503},
      {"HTTP/1.0 200 OK", 200},
      {"HTTP/1.1 40\r\n", 0},
      {"Content-Length: 404", 0},
      {"", 0},
  };
  for (const auto& [line, code] : cases) EXPECT_EQ(ui::HttpStatusOfLine(line), code) << line;
}

}  // namespace
