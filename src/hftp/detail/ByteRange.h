#pragma once
// The byte range a transfer asks for, and which received body bytes belong to it.
//
//   ByteRange range(100, 199);          // -1 leaves an end open: (100, -1), (-1, 500)
//   range.Text() == "100-199";          // for CURLOPT_RANGE; empty: ask for everything
//   ...
//   const ByteRange::Slice slice = range.Take(received, partialAnswer, totalSize);
//   // deliver received bytes [slice.offset, slice.offset + slice.count); stop when slice.last
//
// A range whose ends sum to exactly 0 (0 to 0) is a headers-only request. Every other range but
// "everything" is limited: its bytes are counted, and the transfer is cut once they are all
// delivered. A 206 answer carries the range itself. A server that ignores the range answers 200
// with the whole resource; then the bytes before the range are skipped (for a suffix range that
// needs the size of that answer, from its Content-Length) and the range's own bytes are delivered,
// no more, so the caller always gets the bytes it asked for, or an Undeliverable() range.
//
// Thread-compatible: used by one transfer on its thread.

#include <cstddef>
#include <cstdint>
#include <string>

namespace hftp::detail {

class ByteRange {
 public:
  static constexpr std::int64_t kOpen = -1;

  // Of one block of received body bytes, the part to deliver.
  struct Slice {
    std::size_t offset;  // bytes at the start of the block that precede the range
    std::size_t count;   // bytes of the range
    bool last;           // the block reaches past the range's end, or the range cannot be had
  };

  ByteRange() noexcept : ByteRange(kOpen, kOpen) {}
  ByteRange(std::int64_t from, std::int64_t to) noexcept;

  bool HeadersOnly() const noexcept { return headersOnly_; }
  bool IsLimited() const noexcept;
  // "from-to", "from-" or "-suffix"; empty when both ends are open.
  std::string Text() const;

  // A 206 answer's Content-Range revealed the resource's total size: an open end becomes its
  // last byte.
  void OnTotalSize(std::int64_t totalSize) noexcept;

  // `partialAnswer`: the answer is a 206 (else the whole resource); `totalSize`: the size learned
  // from the headers so far (0 when unknown).
  Slice Take(std::size_t received, bool partialAnswer, std::int64_t totalSize) noexcept;

  // Every byte of a range with a known end has been delivered.
  bool Complete() const noexcept;
  // The requested bytes cannot be delivered: an empty range (to before from, or a suffix of no
  // bytes), a suffix of a
  // whole-resource answer of unknown size, or a whole-resource answer that ended before the range
  // began.
  bool Undeliverable() const noexcept;

  std::int64_t to() const noexcept { return to_; }

 private:
  static constexpr std::int64_t kUnbounded = -1;

  void Start(bool partialAnswer, std::int64_t totalSize) noexcept;

  std::int64_t from_;
  std::int64_t to_;
  bool headersOnly_;
  bool started_ = false;        // the first body byte has arrived
  bool undeliverable_ = false;  // decided when the first body byte arrives
  std::int64_t skip_ = 0;       // bytes to drop before the range starts
  std::int64_t skipped_ = 0;
  std::int64_t length_ = kUnbounded;  // bytes of the range, once known
  std::int64_t delivered_ = 0;
};

}  // namespace hftp::detail
