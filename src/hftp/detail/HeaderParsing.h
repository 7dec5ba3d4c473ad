#pragma once
// Reading the few things a transfer takes from a response header line, exactly as the engine has
// always matched them: case-sensitive substrings anywhere in the line.
//
//   StatusCodeOf("HTTP/1.1 404 Not Found\r\n") == 404
//   StatusCodeOf("Content-Length: 12\r\n") == 0           // not a status line
//   ContentLengthOf("Content-Length:1234\r\n") == 1234
//   ContentRangeTotalOf("Content-Range: bytes 100-199/5000\r\n") == 5000
//   ContentRangeFirstOf("content-range: bytes 100-199/5000\r\n") == 100
//
//   ValidatorOf("ETag: \"v2\"\r\n")->value == "\"v2\""
//
// Pure functions: thread-safe.

#include <cstdint>
#include <optional>
#include <string>

namespace hftp::detail {

// True when the line contains "HTTP/", i.e. is taken for a status line.
bool IsStatusLine(const std::string& line) noexcept;

// True when the line begins with "HTTP/": the first line of a response (redirects and interim
// answers included), after which nothing said about an earlier response applies.
bool StartsResponse(const std::string& line) noexcept;

// The code after the first space that follows "HTTP/"; 0 when the line is no status line, has no
// such space, or no digits follow it.
int StatusCodeOf(const std::string& line) noexcept;

// True for a line with "Connection: CLOSE" (exactly so; "close" does not count) that is not a
// status line.
bool HasConnectionClose(const std::string& line) noexcept;

// The value of a "Content-Length:" line (white space after the colon optional; 0 when no number
// follows); absent when the line has none.
std::optional<std::int64_t> ContentLengthOf(const std::string& line) noexcept;

// The total after the "/" of a "Content-Range:" line (0 when no number follows, as for "/*");
// absent when the line has none, or no "/" to take a total from.
std::optional<std::int64_t> ContentRangeTotalOf(const std::string& line) noexcept;

// What a response says to tell one version of its resource from another, for a resumed request's
// If-Range: a strong entity tag (the header's name in any case), or a Last-Modified date.
struct Validator {
  enum class Kind { StrongETag, LastModified };
  Kind kind;
  std::string value;  // as the header carries it, the blanks around it left out
};

// The validator of an "ETag:" line with a strong tag or of a "Last-Modified:" line; absent for
// other lines, a weak tag ("W/\"...\"") and an empty value.
std::optional<Validator> ValidatorOf(const std::string& line);

// The first byte position of a "Content-Range: bytes FIRST-LAST/TOTAL" line, the header's name and
// unit in any case (what a resumed download checks, unlike the matches above); absent when the line
// is no such header or its value is no byte range ("bytes */5000", no digits, no "-").
std::optional<std::int64_t> ContentRangeFirstOf(const std::string& line) noexcept;

}  // namespace hftp::detail
