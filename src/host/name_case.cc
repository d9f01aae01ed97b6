#include "host/name_case.h"

#include <cstdint>
#include <cstring>

namespace qorv {

namespace {

// Copies `text` to `out` with the letters of one case (from `first` on)
// turned into the other, eight bytes at a time: a byte is such a letter
// when its low seven bits are first..first+25 and its top bit is clear;
// flipping 0x20 changes its case.
template <unsigned char first>
void copy_changing_case(std::string_view text, char *out) {
  constexpr uint64_t ones = 0x0101010101010101u;
  constexpr uint64_t high = 0x80 * ones;
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t x;
    std::memcpy(&x, text.data() + i, 8);
    const uint64_t low = x & ~high;
    const uint64_t from_first = low + (0x80 - first) * ones;     // top bit set from `first` on
    const uint64_t after_last = low + (0x80 - first - 26) * ones;  // top bit set after the 26 letters
    x ^= (from_first & ~after_last & ~x & high) >> 2;
    std::memcpy(out + i, &x, 8);
  }
  for (; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    out[i] = static_cast<char>(c >= first && c < first + 26 ? c ^ 0x20 : c);
  }
}

}  // namespace

void ascii_upper_case_copy(std::string_view text, char *out) { copy_changing_case<'a'>(text, out); }

void ascii_lower_case_copy(std::string_view text, char *out) { copy_changing_case<'A'>(text, out); }

}  // namespace qorv
