// How numbers are packed into the disc's structures: big-endian 32-bit words
// and two-digit BCD bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace qorv {

// Stores `value` big-endian at `offset` of `bytes` (the caller keeps the
// word inside the block).
inline void put_be32(std::span<uint8_t> bytes, size_t offset, uint32_t value) {
  bytes[offset] = static_cast<uint8_t>(value >> 24);
  bytes[offset + 1] = static_cast<uint8_t>(value >> 16);
  bytes[offset + 2] = static_cast<uint8_t>(value >> 8);
  bytes[offset + 3] = static_cast<uint8_t>(value);
}

// The big-endian word at `offset` of `bytes` (the caller keeps it inside).
inline uint32_t get_be32(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<uint32_t>(bytes[offset]) << 24 | static_cast<uint32_t>(bytes[offset + 1]) << 16 |
         static_cast<uint32_t>(bytes[offset + 2]) << 8 | bytes[offset + 3];
}

// The last two decimal digits of `value` as one BCD byte (123 -> 0x23).
inline uint8_t bcd_byte(uint64_t value) {
  return static_cast<uint8_t>((value / 10 % 10) * 16 + value % 10);
}

}  // namespace qorv
