// Byte ranges and headers-only requests over the wire.
#include <gtest/gtest.h>

#include <curl/curl.h>

#include <string>

#include "TransferHelpers.h"
#include "support/TestServer.h"

namespace hftp::test {
namespace {

using msk::test::TestServer;

TEST(ServiceHeadersOnly, ReportsTheSizeFromTheFirstContentLength) {
  auto observer = RunRange(TestServer::Url("/bytes?size=5000"), 0, 0);
  ASSERT_EQ(observer->FinalStatus(), StatusSizeKnown);
  EXPECT_EQ(observer->All().size(), 1u);
  EXPECT_EQ(observer->Final()->totalSize, 5000);
  EXPECT_EQ(observer->Final()->headerLine, "Content-Length: 5000\r\n");
  EXPECT_FALSE(observer->Final()->resultCode);

  // Every response is examined, so a redirect's own length is the answer.
  auto redirected =
      RunRange(TestServer::Url("/redirect?n=1&body_size=777&to=%2Fbytes%3Fsize%3D5000"), 0, 0);
  ASSERT_EQ(redirected->FinalStatus(), StatusSizeKnown);
  EXPECT_EQ(redirected->Final()->totalSize, 777);
}

TEST(ServiceHeadersOnly, WithoutSizeHeaderCompletes) {
  auto observer = RunRange(TestServer::Url("/bytes?size=5000&length=none"), 0, 0);
  ASSERT_EQ(observer->FinalStatus(), StatusCompleted);
  EXPECT_EQ(observer->All().size(), 1u);
  EXPECT_EQ(observer->Final()->totalSize, 0);
  EXPECT_TRUE(observer->responses.empty()) << "no OnResponse for a headers-only request";
}

TEST(ServiceHeadersOnly, SendsAHeadRequest) {
  // The echo route answers HEAD with its headers only: the size is that of the echo it would send.
  auto observer = RunRange(TestServer::Url("/echo"), 5, -5);  // the ends sum to 0
  EXPECT_EQ(observer->FinalStatus(), StatusSizeKnown);
  EXPECT_GT(observer->Final()->totalSize, 0);
}

TEST(ServiceRange, AnsweredWithPartialContent) {
  struct Case {
    std::int64_t from;
    std::int64_t to;
    std::int64_t first;
    std::size_t length;
  };
  const Case cases[] = {
      {100, 199, 100, 100},    // closed
      {100, -1, 100, 4900},    // open: the 206 reveals the total
      {-1, 500, 4500, 500},    // suffix: the last 500 bytes
      {4990, 6000, 4990, 10},  // past the end: the server clamps
      {0, 4999, 0, 5000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + ".." + std::to_string(c.to));
    auto observer = RunRange(TestServer::Url("/bytes?size=5000"), c.from, c.to);
    ASSERT_EQ(observer->FinalStatus(), StatusCompleted);
    EXPECT_EQ(observer->Final()->resultCode, CURLE_OK);
    EXPECT_EQ(observer->Body(), PatternBytes(c.first, c.length));
    for (const Notification& n : observer->All()) EXPECT_EQ(n.totalSize, 5000);
  }
}

TEST(ServiceRange, RangesFromTheStartAskForEverything) {
  // (The range texts of other ranges are checked in the option sequence tests: the echo would be
  // cut to them.)
  auto open = RunRange(TestServer::Url("/echo"), -1, -1);
  EXPECT_EQ(open->FinalStatus(), StatusCompleted);
  EXPECT_EQ(EchoedHeader(open->Body(), "Range"), std::nullopt);

  auto fromStart = RunRange(TestServer::Url("/echo"), 0, -1);
  EXPECT_EQ(fromStart->FinalStatus(), StatusCompleted);
  EXPECT_EQ(EchoedHeader(fromStart->Body(), "Range"), "bytes=0-");
}

TEST(ServiceRange, AServerIgnoringTheRangeStillYieldsTheRangesBytes) {
  struct Case {
    const char* query;
    std::int64_t from;
    std::int64_t to;
    std::int64_t first;
    std::size_t length;
    CURLcode result;  // 23 when the service cut the whole answer at the range's end
  };
  const Case cases[] = {
      {"", 0, 99, 0, 100, CURLE_WRITE_ERROR},
      {"", 100, 199, 100, 100, CURLE_WRITE_ERROR},
      {"", 5000, 5099, 5000, 100, CURLE_WRITE_ERROR},  // the skipped part spans several blocks
      {"", 100, -1, 100, 19900, CURLE_OK},
      {"", -1, 500, 19500, 500, CURLE_OK},
      {"&chunked=1", 100, 199, 100, 100, CURLE_WRITE_ERROR},
      {"", 19990, 30000, 19990, 10, CURLE_OK},  // the resource ends inside the range
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + ".." + std::to_string(c.to) + c.query);
    auto observer = RunRange(
        TestServer::Url(std::string("/bytes?size=20000&ranges=ignore") + c.query), c.from, c.to);
    ASSERT_EQ(observer->FinalStatus(), StatusCompleted);
    EXPECT_EQ(observer->Final()->resultCode, c.result);
    EXPECT_EQ(observer->Body(), PatternBytes(c.first, c.length));
  }
}

TEST(ServiceRange, RangesThatCannotBeDeliveredFail) {
  struct Case {
    const char* query;
    std::int64_t from;
    std::int64_t to;
  };
  const Case cases[] = {
      {"&ranges=ignore&chunked=1", -1, 500},  // a suffix of a whole body of unknown size
      {"&ranges=ignore", 6000, 6999},         // the whole body ends before the range begins
      {"", 200, 100},                         // no byte between the ends
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + ".." + std::to_string(c.to) + c.query);
    auto observer =
        RunRange(TestServer::Url(std::string("/bytes?size=5000") + c.query), c.from, c.to);
    EXPECT_EQ(observer->FinalStatus(), StatusTransferError);
    EXPECT_EQ(observer->Body(), "");
    ASSERT_EQ(observer->ends.size(), 1u);
    EXPECT_EQ(observer->ends[0].report.kind, TransferResult::Kind::RangeUnusable);
  }
}

TEST(ServiceRange, ASuffixThroughARedirectTakesTheSizeOfTheAnswerWithTheBody) {
  // The redirect's own Content-Length (777) says nothing about the resource behind it.
  struct Case {
    const char* target;  // URL-encoded
    int status;
    std::string body;
  };
  const Case cases[] = {
      {"%2Fbytes%3Fsize%3D5000", StatusCompleted, PatternBytes(4500, 500)},
      {"%2Fbytes%3Fsize%3D5000%26ranges%3Dignore", StatusCompleted, PatternBytes(4500, 500)},
      {"%2Fbytes%3Fsize%3D5000%26ranges%3Dignore%26chunked%3D1", StatusTransferError, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    auto observer = RunRange(
        TestServer::Url(std::string("/redirect?n=1&body_size=777&to=") + c.target), -1, 500);
    EXPECT_EQ(observer->FinalStatus(), c.status);
    EXPECT_EQ(observer->Body().size(), c.body.size());
    EXPECT_TRUE(observer->Body() == c.body);
  }
}

TEST(ServiceRange, BeyondTheEndIsAnErrorStatus) {
  auto observer = RunRange(TestServer::Url("/bytes?size=5000"), 6000, 6999);  // 416
  ASSERT_EQ(observer->FinalStatus(), StatusError);
  ASSERT_TRUE(observer->Final()->headerLine);
  EXPECT_EQ(observer->Final()->headerLine->rfind("HTTP/1.1 416 ", 0), 0u);  // the status line
}

}  // namespace
}  // namespace hftp::test
