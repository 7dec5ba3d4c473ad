#pragma once
// The bytes that the loopback test server's generated bodies carry (tests/server/README.md), so a
// download can be checked byte for byte without a second request.
//
//   EXPECT_EQ(msk::test::FirstMismatch(bytes, 0), bytes.size());
//
// No state.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace msk::test {

// Byte `offset` of every generated body.
constexpr unsigned char GeneratedByte(std::uint64_t offset) noexcept {
  const std::uint64_t cycle = offset % 65521;
  return static_cast<unsigned char>((cycle + cycle / 251) % 256);
}

// The index of the first byte of `bytes` that differs from the generated body starting at
// `offset`; bytes.size() when all agree.
inline std::size_t FirstMismatch(const std::vector<unsigned char>& bytes, std::uint64_t offset) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != GeneratedByte(offset + i)) return i;
  }
  return bytes.size();
}

}  // namespace msk::test
