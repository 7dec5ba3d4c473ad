#include "hftp/detail/ByteRange.h"

#include <algorithm>
#include <limits>

namespace hftp::detail {

namespace {

// from + to == 0, without the overflow of the sum for extreme values.
bool SumIsZero(std::int64_t from, std::int64_t to) noexcept {
  return from != std::numeric_limits<std::int64_t>::min() && to == -from;
}

// to - from + 1 for 0 <= from <= to; a range up to the largest position counts as unbounded.
std::int64_t LengthOf(std::int64_t from, std::int64_t to, std::int64_t unbounded) noexcept {
  const std::int64_t span = to - from;
  return span == std::numeric_limits<std::int64_t>::max() ? unbounded : span + 1;
}

}  // namespace

ByteRange::ByteRange(std::int64_t from, std::int64_t to) noexcept
    : from_(from), to_(to), headersOnly_(SumIsZero(from, to)) {}

bool ByteRange::IsLimited() const noexcept {
  // "0-" (or nothing) asks for everything: nothing to count.
  return !HeadersOnly() && (from_ > 0 || to_ >= 0);
}

std::string ByteRange::Text() const {
  if (from_ >= 0) return std::to_string(from_) + "-" + (to_ >= 0 ? std::to_string(to_) : "");
  if (to_ >= 0) return "-" + std::to_string(to_);
  return {};
}

void ByteRange::OnTotalSize(std::int64_t totalSize) noexcept {
  // A total of 0 or less reveals nothing (and "- 1" could overflow).
  if (to_ == kOpen && totalSize > 0) to_ = totalSize - 1;
}

void ByteRange::Start(bool partialAnswer, std::int64_t totalSize) noexcept {
  started_ = true;
  const bool suffix = from_ < 0;
  // No byte lies between the ends, or the suffix is of no bytes ("-0", which servers refuse):
  // nothing can be delivered, rather than a range both complete and never reached.
  if ((!suffix && to_ >= 0 && to_ < from_) || (suffix && to_ == 0)) {
    undeliverable_ = true;
    return;
  }
  if (partialAnswer) {  // the answer is the range itself
    if (suffix)
      length_ = to_;
    else if (to_ >= 0)
      length_ = LengthOf(from_, to_, kUnbounded);
    return;
  }
  // The whole resource: find the range in it.
  if (!suffix) {
    skip_ = from_;
    if (to_ >= 0) length_ = LengthOf(from_, to_, kUnbounded);
  } else if (totalSize > 0) {
    skip_ = std::max<std::int64_t>(0, totalSize - to_);
    length_ = std::min(to_, totalSize);  // no more than the suffix, whatever else arrives
  } else {
    undeliverable_ = true;  // where the last bytes begin is unknown
  }
}

ByteRange::Slice ByteRange::Take(std::size_t received, bool partialAnswer,
                                 std::int64_t totalSize) noexcept {
  if (!IsLimited()) return {0, received, false};
  if (!started_) Start(partialAnswer, totalSize);
  if (undeliverable_) return {0, 0, true};

  // Blocks are at most libcurl's buffer size, far below the range of int64_t.
  const auto block = static_cast<std::int64_t>(received);
  const std::int64_t skipping = std::min(block, skip_ - skipped_);
  skipped_ += skipping;
  const std::int64_t available = block - skipping;
  if (length_ != kUnbounded && available > length_ - delivered_) {
    const std::int64_t count = length_ - delivered_;
    delivered_ = length_;
    return {static_cast<std::size_t>(skipping), static_cast<std::size_t>(count), true};
  }
  delivered_ += available;
  return {static_cast<std::size_t>(skipping), static_cast<std::size_t>(available), false};
}

bool ByteRange::Complete() const noexcept {
  return started_ && !undeliverable_ && length_ != kUnbounded && delivered_ == length_;
}

bool ByteRange::Undeliverable() const noexcept {
  return undeliverable_ || (started_ && skipped_ < skip_);
}

}  // namespace hftp::detail
