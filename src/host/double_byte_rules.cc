#include "host/double_byte_rules.h"

#include <algorithm>

namespace qorv {

void upper_case_double_byte(const DoubleByteRules &rules, std::string_view text, char *out) {
  for (size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) continue;
    if (rules.character_length(text, i) == 2) {
      const auto trail = static_cast<unsigned char>(text[i + 1]);
      const uint16_t upper = rules.double_upper[static_cast<size_t>(b) << 8 | trail];
      out[i] = static_cast<char>(upper ? upper >> 8 : b);
      out[i + 1] = static_cast<char>(upper ? upper & 0xFF : trail);
      ++i;
    } else {
      out[i] = static_cast<char>(rules.single_upper[b]);
    }
  }
}

size_t copy_whole_double_byte(const DoubleByteRules &rules, std::string_view text, std::span<uint8_t> field) {
  size_t used = 0;
  while (used < text.size()) {
    const size_t length = rules.character_length(text, used);
    if (used + length > field.size()) break;
    used += length;
  }
  std::fill(std::copy_n(text.begin(), used, field.begin()), field.end(), uint8_t{0});
  return used;
}

bool has_double_byte_backslash(const DoubleByteRules &rules, std::string_view name) {
  for (size_t i = 0; i < name.size(); i += rules.character_length(name, i))
    if (name[i] == '\\') return true;
  return false;
}

}  // namespace qorv
