#include "host/wildcard.h"

namespace qorv {

// State j means "pattern from j must match the rest of the path"; a loop
// state j means "the star at j has taken one or more characters". For a
// path byte c:
//   loop' = (active & star) | loop
//   active' = ((active & match[c]) << 1) | (loop' << 1)
// and an exhausted path is accepted when an active state is the pattern's
// end or a star. This is exactly the recursive definition of the match.

namespace {
unsigned char fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

void set_bit(uint64_t *words, size_t bit) { words[bit / 64] |= uint64_t{1} << (bit % 64); }
}  // namespace

WildcardPattern::WildcardPattern(std::string_view pattern) : text_(pattern) {
  size_t m = pattern.size();
  words_ = (m + 1 + 63) / 64;  // states 0..m
  star_.assign(words_, 0);
  accept_.assign(words_, 0);
  by_char_.assign(256 * words_, 0);
  set_bit(accept_.data(), m);
  for (size_t j = 0; j < m; ++j) {
    unsigned char p = static_cast<unsigned char>(pattern[j]);
    if (p == '*') {
      set_bit(star_.data(), j);
      set_bit(accept_.data(), j);
    } else if (p == '?') {
      for (int c = 0; c < 256; ++c) set_bit(&by_char_[c * words_], j);
    } else {
      for (int c = 0; c < 256; ++c)
        if (fold(static_cast<unsigned char>(c)) == fold(p)) set_bit(&by_char_[c * words_], j);
    }
  }
}

bool WildcardPattern::matches(std::string_view path) const {
  if (words_ == 1) {
    uint64_t active = 1, loop = 0;
    const uint64_t star = star_[0];
    for (unsigned char c : path) {
      loop |= active & star;
      active = ((active & by_char_[c]) << 1) | (loop << 1);
      if ((active | loop) == 0) return false;
    }
    return (active & accept_[0]) != 0;
  }

  std::vector<uint64_t> active(words_, 0), loop(words_, 0);
  active[0] = 1;
  for (unsigned char c : path) {
    const uint64_t *match = &by_char_[c * words_];
    uint64_t carry_a = 0, carry_l = 0, any = 0;
    for (size_t w = 0; w < words_; ++w) {
      loop[w] |= active[w] & star_[w];
      uint64_t a = active[w] & match[w];
      uint64_t next = (a << 1) | carry_a | (loop[w] << 1) | carry_l;
      carry_a = a >> 63;
      carry_l = loop[w] >> 63;
      active[w] = next;
      any |= next | loop[w];
    }
    if (any == 0) return false;
  }
  for (size_t w = 0; w < words_; ++w)
    if (active[w] & accept_[w]) return true;
  return false;
}

bool wildcard_match(std::string_view path, std::string_view pattern) {
  return WildcardPattern(pattern).matches(path);
}

}  // namespace qorv
