#include "hftp/detail/HeaderParsing.h"

#include <cctype>
#include <cstdlib>
#include <limits>
#include <string_view>

namespace hftp::detail {
namespace {

constexpr char kStatusMarker[] = "HTTP/";
constexpr char kConnectionClose[] = "Connection: CLOSE";
constexpr char kContentLength[] = "Content-Length:";
constexpr char kContentRange[] = "Content-Range:";
// Matched in any case.
constexpr std::string_view kContentRangeName = "content-range:";
constexpr std::string_view kBytesUnit = "bytes";
constexpr std::string_view kETagName = "etag:";
constexpr std::string_view kLastModifiedName = "last-modified:";

// A decimal number as strtoll reads it from `line` at `position` (leading white space and a sign
// allowed, stops at the first non-digit, 0 without digits, saturated on overflow). The line is a
// std::string, hence NUL-terminated.
std::int64_t NumberAt(const std::string& line, std::string::size_type position) noexcept {
  if (position >= line.size()) return 0;
  const long long value = std::strtoll(line.c_str() + position, nullptr, 10);
  return static_cast<std::int64_t>(value);
}

// Skips spaces and tabs from `position` on.
std::string::size_type SkipBlanks(const std::string& line,
                                  std::string::size_type position) noexcept {
  while (position < line.size() && (line[position] == ' ' || line[position] == '\t')) ++position;
  return position;
}

// Whether `line` has `word` at `position`, in any case.
bool HasWordAt(const std::string& line, std::string::size_type position,
               std::string_view word) noexcept {
  if (line.size() < position || line.size() - position < word.size()) return false;
  for (std::string_view::size_type i = 0; i < word.size(); ++i) {
    const auto c = static_cast<unsigned char>(line[position + i]);
    if (std::tolower(c) != static_cast<unsigned char>(word[i])) return false;
  }
  return true;
}

}  // namespace

bool IsStatusLine(const std::string& line) noexcept {
  return line.find(kStatusMarker) != std::string::npos;
}

bool StartsResponse(const std::string& line) noexcept {
  return line.compare(0, sizeof(kStatusMarker) - 1, kStatusMarker) == 0;
}

int StatusCodeOf(const std::string& line) noexcept {
  const auto marker = line.find(kStatusMarker);
  if (marker == std::string::npos) return 0;
  const auto space = line.find(' ', marker);
  if (space == std::string::npos) return 0;
  // The code text runs to the next space; the number stops before it anyway. A status line of
  // absurd length is clamped rather than overflowing int.
  const auto start = space + 1;
  if (start >= line.size() || line[start] == ' ') return 0;
  const std::int64_t code = NumberAt(line, start);
  if (code > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (code < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(code);
}

bool HasConnectionClose(const std::string& line) noexcept {
  return !IsStatusLine(line) && line.find(kConnectionClose) != std::string::npos;
}

std::optional<std::int64_t> ContentLengthOf(const std::string& line) noexcept {
  const auto match = line.find(kContentLength);
  if (match == std::string::npos) return std::nullopt;
  return NumberAt(line, match + sizeof(kContentLength) - 1);
}

std::optional<std::int64_t> ContentRangeTotalOf(const std::string& line) noexcept {
  const auto match = line.find(kContentRange);
  if (match == std::string::npos) return std::nullopt;
  const auto slash = line.find('/', match + sizeof(kContentRange) - 1);
  if (slash == std::string::npos) return std::nullopt;
  return NumberAt(line, slash + 1);
}

// The value of a header line that starts with `name` (its colon included, in any case), without
// the blanks around it and the line ending; absent for other lines.
std::optional<std::string> ValueOf(const std::string& line, std::string_view name) {
  if (!HasWordAt(line, 0, name)) return std::nullopt;
  const auto first = SkipBlanks(line, name.size());
  auto end = line.size();
  while (end > first && std::isspace(static_cast<unsigned char>(line[end - 1]))) --end;
  return line.substr(first, end - first);
}

std::optional<Validator> ValidatorOf(const std::string& line) {
  if (std::optional<std::string> tag = ValueOf(line, kETagName)) {
    // A weak tag ("W/...") may not be used for a range (If-Range), so it is no validator.
    if (tag->empty() || tag->front() != '"') return std::nullopt;
    return Validator{Validator::Kind::StrongETag, std::move(*tag)};
  }
  if (std::optional<std::string> date = ValueOf(line, kLastModifiedName)) {
    if (date->empty()) return std::nullopt;
    return Validator{Validator::Kind::LastModified, std::move(*date)};
  }
  return std::nullopt;
}

std::optional<std::int64_t> ContentRangeFirstOf(const std::string& line) noexcept {
  if (!HasWordAt(line, 0, kContentRangeName)) return std::nullopt;
  auto position = SkipBlanks(line, kContentRangeName.size());
  if (!HasWordAt(line, position, kBytesUnit)) return std::nullopt;
  position = SkipBlanks(line, position + kBytesUnit.size());
  const auto digits = position;
  std::int64_t first = 0;
  while (position < line.size() && std::isdigit(static_cast<unsigned char>(line[position]))) {
    const int digit = line[position] - '0';
    if (first > (std::numeric_limits<std::int64_t>::max() - digit) / 10) return std::nullopt;
    first = first * 10 + digit;
    ++position;
  }
  if (position == digits || position >= line.size() || line[position] != '-') return std::nullopt;
  return first;
}

}  // namespace hftp::detail
