#include "host/name_case.h"

#include <cstdint>
#include <cstring>

namespace qorv {

void upper_case_copy(std::string_view text, char *out) {
  // Eight bytes at a time: a byte is lower case when its low seven bits are
  // 0x61..0x7A and its top bit is clear; clearing 0x20 upper-cases it.
  constexpr uint64_t high = 0x8080808080808080u;
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t x;
    std::memcpy(&x, text.data() + i, 8);
    const uint64_t low = x & ~high;
    const uint64_t from_a = low + 0x1F1F1F1F1F1F1F1Fu;   // top bit set from 0x61 on
    const uint64_t after_z = low + 0x0505050505050505u;  // top bit set from 0x7B on
    x ^= (from_a & ~after_z & ~x & high) >> 2;
    std::memcpy(out + i, &x, 8);
  }
  for (; i < text.size(); ++i) out[i] = upper_case_byte(text[i]);
}

void upper_case_into(std::string_view text, std::string &out) {
  out.resize(text.size());
  upper_case_copy(text, out.data());
}

std::string upper_case_name(std::string_view text) {
  std::string out;
  upper_case_into(text, out);
  return out;
}

}  // namespace qorv
