#pragma once
// Reading the few things a transfer takes from a response header line. Header names are matched
// whole and in any case, as HTTP defines them ("content-length" is Content-Length,
// "X-Stored-Content-Length" is not); the status line keeps the engine's own rule: "HTTP/"
// anywhere in the line, in capitals.
//
//   StatusCodeOf("HTTP/1.1 404 Not Found\r\n") == 404
//   StatusCodeOf("Content-Length: 12\r\n") == 0           // not a status line
//   ContentLengthOf("content-length:1234\r\n") == 1234
//   ContentRangeTotalOf("Content-Range: bytes 100-199/5000\r\n") == 5000
//   ContentRangeFirstOf("content-range: bytes 100-199/5000\r\n") == 100
//
//   ValidatorOf("ETag: \"v2\"\r\n")->value == "\"v2\""
//
// Pure functions: thread-safe.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace hftp::detail {

// True when the line contains "HTTP/", i.e. is taken for a status line.
bool IsStatusLine(const std::string& line) noexcept;

// True when the line begins with "HTTP/": the first line of a response (redirects and interim
// answers included), after which nothing said about an earlier response applies.
bool StartsResponse(const std::string& line) noexcept;

// The code after the first space that follows "HTTP/"; 0 when the line is no status line, has no
// such space, or no digits follow it.
int StatusCodeOf(const std::string& line) noexcept;

// The value of the header `name` (matched whole, in any case) on this line: the text after the
// colon, blanks before it and the line ending after it left out; absent when the line is another
// header (or none). HTTP allows no blank between a name and its colon, so "Name :" is no match.
std::optional<std::string_view> HeaderValueOf(std::string_view line,
                                              std::string_view name) noexcept;

// True for a Connection header whose value lists the token "CLOSE" in capitals: the engine's sign
// that a response's body is to be withheld. The ordinary "Connection: close" does not count.
bool HasConnectionClose(const std::string& line) noexcept;

// The value of a Content-Length header (a decimal as strtoll reads it: leading blanks and a sign
// allowed, 0 when no number follows, saturated); absent when the line is no such header.
std::optional<std::int64_t> ContentLengthOf(const std::string& line) noexcept;

// The total after the "/" of a Content-Range header (0 when no number follows, as for "/*");
// absent when the line is no such header, or has no "/" to take a total from.
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

// The first byte position of a "Content-Range: bytes FIRST-LAST/TOTAL" header, the unit in any
// case (what a resumed download checks); absent when the line is no such header or its value is
// no byte range ("bytes */5000", no digits, no "-").
std::optional<std::int64_t> ContentRangeFirstOf(const std::string& line) noexcept;

}  // namespace hftp::detail
