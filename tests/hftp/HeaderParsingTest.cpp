#include "hftp/detail/HeaderParsing.h"

#include <gtest/gtest.h>

namespace hftp::detail {
namespace {

TEST(HeaderParsing, StatusCode) {
  struct Case {
    const char* line;
    int code;
  };
  const Case cases[] = {
      {"HTTP/1.1 404 Not Found\r\n", 404},
      {"HTTP/1.0 206 Partial Content\r\n", 206},
      {"HTTP/2 200\r\n", 200},
      {"HTTP/1.1 302\r\n", 302},
      {"junk HTTP/1.1 503 x\r\n", 503},  // "HTTP/" anywhere in the line
      {"HTTP/1.1\r\n", 0},               // no space after the marker
      {"HTTP/1.1  404\r\n", 0},          // empty code text
      {"HTTP/1.1 abc\r\n", 0},
      {"http/1.1 404 Not Found\r\n", 0},  // case-sensitive
      {"Content-Length: 404\r\n", 0},
      {"\r\n", 0},
      {"HTTP/1.1 99999999999999999999 Big\r\n", 2147483647},  // clamped, no overflow
  };
  for (const Case& c : cases) EXPECT_EQ(StatusCodeOf(c.line), c.code) << c.line;
}

TEST(HeaderParsing, AResponseStartsOnlyWithAStatusLineAtTheBeginning) {
  EXPECT_TRUE(StartsResponse("HTTP/1.1 302 Found\r\n"));
  EXPECT_TRUE(StartsResponse("HTTP/2 200\r\n"));
  EXPECT_FALSE(StartsResponse("Via: HTTP/1.1 gateway\r\n"));  // mid-line: a header, not a response
  EXPECT_FALSE(StartsResponse("\r\n"));
}

TEST(HeaderParsing, ConnectionCloseIsTheWholeHeaderInAnyCaseWithTheTokenInCapitals) {
  struct Case {
    const char* line;
    bool close;
  };
  const Case cases[] = {
      {"Connection: CLOSE\r\n", true},
      {"connection:CLOSE\r\n", true},                // the name in any case, blanks optional
      {"CONNECTION: keep-alive, CLOSE \r\n", true},  // one token of a list
      {"Connection: close\r\n", false},              // the ordinary header: the body is wanted
      {"Connection: CLOSED\r\n", false},
      {"X-Note: Connection: CLOSE soon\r\n", false},  // another header quoting it
      {"X-Connection: CLOSE\r\n", false},
      {"Connection : CLOSE\r\n", false},  // no blank allowed before the colon
      {"HTTP/1.1 200 Connection: CLOSE\r\n", false},
  };
  for (const Case& c : cases) EXPECT_EQ(HasConnectionClose(c.line), c.close) << c.line;
}

TEST(HeaderParsing, ContentLength) {
  struct Case {
    const char* line;
    std::optional<std::int64_t> length;
  };
  const Case cases[] = {
      {"Content-Length: 1234\r\n", 1234},
      {"Content-Length:1234\r\n", 1234},
      {"Content-Length:   \t77\r\n", 77},
      {"Content-Length: 8589934592\r\n", 8589934592},  // beyond 32 bits
      {"Content-Length: \r\n", 0},
      {"Content-Length:", 0},
      {"Content-Length: -5\r\n", -5},
      {"Content-Length: 99999999999999999999999\r\n", INT64_MAX},  // saturated
      {"content-length: 12\r\n", 12},                              // names in any case
      {"CONTENT-LENGTH:12", 12},
      {"X-Stored-Content-Length: 99999999\r\n", std::nullopt},  // whole names only
      {"Content-Length-Original: 5\r\n", std::nullopt},
      {"X: Content-Length: 5\r\n", std::nullopt},
      {"Content-Type: text/plain\r\n", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ContentLengthOf(c.line), c.length) << c.line;
}

TEST(HeaderParsing, ContentRangeTotal) {
  struct Case {
    const char* line;
    std::optional<std::int64_t> total;
  };
  const Case cases[] = {
      {"Content-Range: bytes 100-199/5000\r\n", 5000},
      {"Content-Range: bytes 0-0/8589934592\r\n", 8589934592},
      {"Content-Range: bytes 0-9/*\r\n", 0},
      {"Content-Range: bytes 0-9\r\n", std::nullopt},  // no total to take
      {"Content-Range:", std::nullopt},
      {"content-range: bytes 0-9/10\r\n", 10},
      {"X-Content-Range: bytes 0-9/10\r\n", std::nullopt},
      {"Content-Length: 10/20\r\n", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ContentRangeTotalOf(c.line), c.total) << c.line;
}

TEST(HeaderParsing, ContentRangeFirst) {
  struct Case {
    const char* line;
    std::optional<std::int64_t> first;
  };
  const Case cases[] = {
      {"Content-Range: bytes 100-199/5000\r\n", 100},
      {"content-range:BYTES   0-9/*\r\n", 0},  // any case, any spacing
      {"Content-Range: bytes 8589934592-8589934599/8589934600\r\n", 8589934592},
      {"Content-Range: bytes */5000\r\n", std::nullopt},  // the answer to an unsatisfiable range
      {"Content-Range: bytes 100\r\n", std::nullopt},
      {"Content-Range: items 1-2/3\r\n", std::nullopt},
      {"Content-Range: bytes 99999999999999999999-1/2\r\n", std::nullopt},  // no overflow
      {"X-Content-Range: bytes 1-2/3\r\n", std::nullopt},  // the header itself, not a lookalike
      {"Content-Length: 100-199\r\n", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ContentRangeFirstOf(c.line), c.first) << c.line;
}

TEST(HeaderParsing, ValidatorIsAStrongETagOrALastModifiedDate) {
  using Kind = Validator::Kind;
  struct Case {
    const char* line;
    std::optional<Kind> kind;
    const char* value;
  };
  const Case cases[] = {
      {"ETag: \"v2\"\r\n", Kind::StrongETag, "\"v2\""},
      {"etag:\t\"a b\" \r\n", Kind::StrongETag, "\"a b\""},  // any case, blanks around cut
      {"ETag: W/\"v2\"\r\n", std::nullopt, ""},              // weak: not for a range
      {"ETag:\r\n", std::nullopt, ""},
      {"Last-Modified: Wed, 09 Dec 2026 10:00:00 GMT\r\n", Kind::LastModified,
       "Wed, 09 Dec 2026 10:00:00 GMT"},
      {"X-ETag: \"v2\"\r\n", std::nullopt, ""},  // the header itself, not a lookalike
      {"Content-Length: 5\r\n", std::nullopt, ""},
  };
  for (const Case& c : cases) {
    const std::optional<Validator> validator = ValidatorOf(c.line);
    ASSERT_EQ(validator.has_value(), c.kind.has_value()) << c.line;
    if (!validator) continue;
    EXPECT_EQ(validator->kind, *c.kind) << c.line;
    EXPECT_EQ(validator->value, c.value) << c.line;
  }
}

}  // namespace
}  // namespace hftp::detail
