// Hexadecimal numbers without a formatting call: every hex number the tools
// write (DLF offsets, message values, escaped bytes) comes from here. The DLF
// writer formats one offset per placed file, so the digits are looked up two
// at a time in a table of every byte's two digits; this replaced a loop per
// digit, which had replaced a formatting call per line.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

namespace qorv {

enum class HexCase { Lower, Upper };

inline constexpr auto HEX_DIGIT_PAIRS = [] {
  std::array<std::array<char, 512>, 2> pairs{};  // by HexCase
  for (size_t i = 0; i < 512; ++i) {
    pairs[0][i] = "0123456789abcdef"[i % 2 ? (i / 2) & 0xF : i / 32];
    pairs[1][i] = "0123456789ABCDEF"[i % 2 ? (i / 2) & 0xF : i / 32];
  }
  return pairs;
}();

// The 16 digits of `value`, leading zeros included, into `out`.
inline void put_hex16(char *out, uint64_t value, HexCase letters = HexCase::Lower) {
  const char *pairs = HEX_DIGIT_PAIRS[static_cast<size_t>(letters)].data();
  for (size_t i = 8; i-- > 0; value >>= 8) std::memcpy(out + 2 * i, pairs + 2 * (value & 0xFF), 2);
}

// How many digits `value` needs (0 needs one).
constexpr int hex_digit_count(uint64_t value) { return value == 0 ? 1 : (67 - std::countl_zero(value)) / 4; }

// `value` with leading zeros up to `width` digits (never cut shorter).
inline void append_hex(std::string &out, uint64_t value, int width = 0, HexCase letters = HexCase::Lower) {
  char digits[16];
  put_hex16(digits, value, letters);
  const int shown = std::max(width, hex_digit_count(value));
  if (shown > 16) out.append(static_cast<size_t>(shown - 16), '0');
  out.append(digits + 16 - std::min(shown, 16), static_cast<size_t>(std::min(shown, 16)));
}

}  // namespace qorv
