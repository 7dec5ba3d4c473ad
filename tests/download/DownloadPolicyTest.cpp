// The decisions a download makes between and after attempts: where a response's body goes in a
// resumed download, whether a failure is tried again and after how long, and when the job gives
// up on a time limit that libcurl could not keep.
#include "download/LimitWatch.h"
#include "download/Outcome.h"
#include "download/RetryPolicy.h"
#include "download/TransferSink.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

namespace {

using download::DownloadOutcome;
using download::DownloadResult;
using std::chrono::milliseconds;
using std::chrono::seconds;

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
    download::TargetOptions target;
    target.resumeFrom = c.resumeFrom;
    target.resourceSize = 5000;
    EXPECT_EQ(download::BodyPlacement(target, hftp::ResponseInfo{c.statusCode, c.rangeFirst, ""},
                                      c.total),
              c.placement)
        << c.resumeFrom << " " << c.statusCode << " " << c.total;
  }
  // A file begun from a resource of unknown size cannot be continued.
  download::TargetOptions unknown;
  unknown.resumeFrom = 1000;
  EXPECT_EQ(download::BodyPlacement(unknown, hftp::ResponseInfo{206, 1000, ""}, 5000), nowhere);
}

TEST(RetryPolicy, DelaysDoubleFromOneSecondUpToThirty) {
  const std::pair<int, int> cases[] = {{0, 0},  {1, 1},  {2, 2},  {3, 4},    {4, 8},
                                       {5, 16}, {6, 30}, {7, 30}, {100, 30}, {-3, 0}};
  for (const auto& [retry, delay] : cases)
    EXPECT_EQ(download::RetryDelay(retry), seconds(delay)) << retry;
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
      {DownloadResult::HttpError, 408, true},
      {DownloadResult::HttpError, 429, true},
      {DownloadResult::HttpError, 204, false},  // an answer without the resource comes again
      {DownloadResult::HttpError, 302, false},
      {DownloadResult::Unrecoverable, 0, false},
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
      {DownloadResult::SignatureNotValid, 0, true},  // a corrupted transfer explains it
      {DownloadResult::ProxyUnreachable, 0, true},
      {DownloadResult::ProxyAuthFailed, 0, false},
      {DownloadResult::NotSigned, 0, false},
      {DownloadResult::SignerNotTrusted, 0, false},
      {DownloadResult::WrongSigner, 0, false},
      {DownloadResult::Completed, 0, false},
  };
  for (const Case& c : cases) {
    DownloadOutcome outcome;
    outcome.result = c.result;
    outcome.httpStatus = c.httpStatus;
    EXPECT_EQ(download::IsRetryable(outcome), c.retryable)
        << static_cast<int>(c.result) << " " << c.httpStatus;
  }
}

TEST(LimitWatch, GivesUpOnlyWhenLibcurlCannotAnswerForALimit) {
  using download::LimitWatch;
  const LimitWatch::Clock::time_point start{};
  hftp::RequestOptions options;
  options.totalTimeout = seconds(10);
  options.connectTimeout = seconds(3);
  options.stallTimeout = seconds(5);
  struct Case {
    const char* what;
    milliseconds elapsed;
    bool connected;
    milliseconds held;
    std::optional<DownloadResult> expected;
  };
  const Case cases[] = {
      {"all within their limits", milliseconds(2000), false, milliseconds(1000), std::nullopt},
      {"connect over, worker free: libcurl decides", milliseconds(4000), false, milliseconds(0),
       std::nullopt},
      {"connect over, worker held", milliseconds(3500), false, milliseconds(500),
       DownloadResult::CannotConnect},
      {"connect over, worker held, but connected", milliseconds(4000), true, milliseconds(1000),
       std::nullopt},
      {"held past the stall limit", milliseconds(6000), true, milliseconds(5500),
       DownloadResult::Stalled},
      {"whole limit within the margin", milliseconds(10400), true, milliseconds(0), std::nullopt},
      {"whole limit past the margin", milliseconds(10500), true, milliseconds(0),
       DownloadResult::TimedOut},
  };
  const LimitWatch watch(options, start);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(watch.Overdue({start + c.elapsed, c.connected, c.held}), c.expected);
  }
  // No limit set: nothing is ever overdue, and the watch never shortens a wait.
  const LimitWatch none(hftp::RequestOptions(), start);
  EXPECT_EQ(none.Overdue({start + seconds(100000), false, seconds(1000)}), std::nullopt);
  EXPECT_EQ(none.NextCheck(start, milliseconds(2000)), milliseconds(2000));
  EXPECT_EQ(watch.NextCheck(start + milliseconds(10450), milliseconds(2000)), milliseconds(50));
}

}  // namespace
