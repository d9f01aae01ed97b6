// Small pieces shared by the wildcard matcher's source files.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "host/name_case.h"

namespace qorv::wildcard_bits {

inline unsigned char fold(unsigned char c) { return lower_case_byte(c); }

// Copies `text` to `out` with A-Z folded.
inline void fold_into(std::string_view text, char *out) { ascii_lower_case_copy(text, out); }

inline void set_bit(uint64_t *words, size_t bit) { words[bit / 64] |= uint64_t{1} << (bit % 64); }

inline bool has_byte(const std::array<uint64_t, 4> &set, unsigned char b) { return (set[b / 64] >> (b % 64)) & 1; }

inline bool any_common(const uint64_t *a, const uint64_t *b, size_t words) {
  for (size_t w = 0; w < words; ++w)
    if (a[w] & b[w]) return true;
  return false;
}

}  // namespace qorv::wildcard_bits
