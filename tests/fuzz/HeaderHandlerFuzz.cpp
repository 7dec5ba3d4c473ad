// Fuzzes what the transfer's header handler reads from a response and how its byte range then
// accounts for the body: a range, header lines as a server might send them, body blocks.
//
// Input: 16 bytes for the range's two ends (little-endian int64), then header lines up to an empty
// line, then one byte per body block giving its size (1 to 256 bytes).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "hftp/detail/ByteRange.h"
#include "hftp/detail/HeaderParsing.h"

namespace {

using hftp::detail::ByteRange;

std::int64_t Int64At(const std::uint8_t* data) {
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | data[i];
  std::int64_t result = 0;
  std::memcpy(&result, &value, sizeof result);
  return result;
}

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 16) return 0;
  const std::int64_t from = Int64At(data);
  const std::int64_t to = Int64At(data + 8);
  ByteRange range(from, to);
  std::string_view rest(reinterpret_cast<const char*>(data + 16), size - 16);

  // The header block, as the handler sees it: line by line, each with its line ending.
  bool partial = false;
  bool withheld = false;
  std::int64_t totalSize = 0;
  while (!rest.empty()) {
    const auto end = rest.find('\n');
    const std::string line(rest.substr(0, end == std::string_view::npos ? rest.size() : end + 1));
    rest.remove_prefix(line.size());
    if (hftp::detail::StartsResponse(line)) {
      totalSize = 0;
      partial = false;
      withheld = false;
    }
    const int code = hftp::detail::StatusCodeOf(line);
    Require(code == 0 || hftp::detail::IsStatusLine(line));
    if (withheld) continue;
    if (hftp::detail::HasConnectionClose(line)) withheld = true;
    if (hftp::detail::StartsResponse(line) && code == 206 && !range.HeadersOnly()) partial = true;
    if (const auto first = hftp::detail::ContentRangeFirstOf(line)) Require(*first >= 0);
    if (partial) {
      if (const auto total = hftp::detail::ContentRangeTotalOf(line)) {
        totalSize = *total;
        range.OnTotalSize(totalSize);
      }
    } else if (const auto length = hftp::detail::ContentLengthOf(line)) {
      totalSize = *length;
    }
    if (line == "\r\n" || line == "\n") break;
  }
  if (withheld || range.HeadersOnly()) return 0;

  // The body: no slice reaches outside its block, and a range never delivers more than it spans.
  std::uint64_t delivered = 0;
  for (const char sizeByte : rest) {
    const std::size_t block = static_cast<unsigned char>(sizeByte) + 1u;
    const ByteRange::Slice slice = range.Take(block, partial, totalSize);
    Require(slice.offset <= block && slice.count <= block - slice.offset);
    delivered += slice.count;
    if (slice.last) break;
  }
  if (range.Complete()) Require(!range.Undeliverable());
  if (from >= 0 && to >= from && to - from < INT64_MAX) {
    Require(delivered <= static_cast<std::uint64_t>(to - from) + 1u);
  } else if (from < 0 && to >= 0) {
    Require(delivered <= static_cast<std::uint64_t>(to));
  }
  return 0;
}
