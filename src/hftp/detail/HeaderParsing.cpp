#include "hftp/detail/HeaderParsing.h"

#include <cctype>
#include <limits>

namespace hftp::detail {
namespace {

constexpr std::string_view kStatusMarker = "HTTP/";
constexpr std::string_view kConnection = "Connection";
constexpr std::string_view kCloseToken = "CLOSE";
constexpr std::string_view kContentLength = "Content-Length";
constexpr std::string_view kContentRange = "Content-Range";
constexpr std::string_view kBytesUnit = "bytes";
constexpr std::string_view kETag = "ETag";
constexpr std::string_view kLastModified = "Last-Modified";

bool IsBlank(char c) noexcept {
  return c == ' ' || c == '\t';
}

// `text` without the blanks and line-ending characters at either end.
std::string_view Trimmed(std::string_view text) noexcept {
  while (!text.empty() && (IsBlank(text.front()) || text.front() == '\r' || text.front() == '\n')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r' || text.back() == '\n')) {
    text.remove_suffix(1);
  }
  return text;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::string_view::size_type i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

bool IsDigit(char c) noexcept {
  return c >= '0' && c <= '9';
}

// A decimal number as strtoll reads it (leading blanks and a sign allowed, stops at the first
// non-digit, 0 without digits, saturated on overflow), without strtoll's need for a terminator.
std::int64_t NumberIn(std::string_view text) noexcept {
  while (!text.empty() && (IsBlank(text.front()) || text.front() == '\r' || text.front() == '\n' ||
                           text.front() == '\v' || text.front() == '\f')) {
    text.remove_prefix(1);
  }
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // Accumulated negatively, so that the minimum needs no special case.
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  std::int64_t value = 0;
  for (const char c : text) {
    if (!IsDigit(c)) break;
    const int digit = c - '0';
    if (value < (kMin + digit) / 10)
      return negative ? kMin : std::numeric_limits<std::int64_t>::max();
    value = value * 10 - digit;
  }
  if (negative) return value;
  return value == kMin ? std::numeric_limits<std::int64_t>::max() : -value;
}

}  // namespace

bool IsStatusLine(const std::string& line) noexcept {
  return line.find(kStatusMarker) != std::string::npos;
}

bool StartsResponse(const std::string& line) noexcept {
  return line.compare(0, kStatusMarker.size(), kStatusMarker) == 0;
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
  const std::int64_t code = NumberIn(std::string_view(line).substr(start));
  if (code > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (code < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(code);
}

std::optional<std::string_view> HeaderValueOf(std::string_view line,
                                              std::string_view name) noexcept {
  if (line.size() <= name.size() || line[name.size()] != ':') return std::nullopt;
  if (!EqualIgnoringCase(line.substr(0, name.size()), name)) return std::nullopt;
  return Trimmed(line.substr(name.size() + 1));
}

bool HasConnectionClose(const std::string& line) noexcept {
  std::optional<std::string_view> value = HeaderValueOf(line, kConnection);
  if (!value) return false;
  // A comma-separated list of options ("CLOSE, TE" counts as well).
  while (!value->empty()) {
    const auto comma = value->find(',');
    if (Trimmed(value->substr(0, comma)) == kCloseToken) return true;
    if (comma == std::string_view::npos) break;
    value->remove_prefix(comma + 1);
  }
  return false;
}

std::optional<std::int64_t> ContentLengthOf(const std::string& line) noexcept {
  const std::optional<std::string_view> value = HeaderValueOf(line, kContentLength);
  if (!value) return std::nullopt;
  return NumberIn(*value);
}

std::optional<std::int64_t> ContentRangeTotalOf(const std::string& line) noexcept {
  const std::optional<std::string_view> value = HeaderValueOf(line, kContentRange);
  if (!value) return std::nullopt;
  const auto slash = value->find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  return NumberIn(value->substr(slash + 1));
}

std::optional<Validator> ValidatorOf(const std::string& line) {
  if (const std::optional<std::string_view> tag = HeaderValueOf(line, kETag)) {
    // A weak tag ("W/...") may not be used for a range (If-Range), so it is no validator.
    if (tag->empty() || tag->front() != '"') return std::nullopt;
    return Validator{Validator::Kind::StrongETag, std::string(*tag)};
  }
  if (const std::optional<std::string_view> date = HeaderValueOf(line, kLastModified)) {
    if (date->empty()) return std::nullopt;
    return Validator{Validator::Kind::LastModified, std::string(*date)};
  }
  return std::nullopt;
}

std::optional<std::int64_t> ContentRangeFirstOf(const std::string& line) noexcept {
  std::optional<std::string_view> value = HeaderValueOf(line, kContentRange);
  if (!value || value->size() < kBytesUnit.size() ||
      !EqualIgnoringCase(value->substr(0, kBytesUnit.size()), kBytesUnit)) {
    return std::nullopt;
  }
  std::string_view rest = value->substr(kBytesUnit.size());
  while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
  std::int64_t first = 0;
  std::string_view::size_type position = 0;
  for (; position < rest.size() && IsDigit(rest[position]); ++position) {
    const int digit = rest[position] - '0';
    if (first > (std::numeric_limits<std::int64_t>::max() - digit) / 10) return std::nullopt;
    first = first * 10 + digit;
  }
  if (position == 0 || position >= rest.size() || rest[position] != '-') return std::nullopt;
  return first;
}

}  // namespace hftp::detail
