// Texts in a code page whose characters are one or two bytes (a lead byte
// and a trail byte), such as code page 932: where characters begin, how
// their letters are upper-cased, and how a text is cut into a field. One set
// of rules serves the Windows host's ANSI code page and code page 932 on any
// host.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace qorv {

struct DoubleByteRules {
  std::array<bool, 256> lead{};           // lead bytes of double-byte characters
  std::array<uint8_t, 256> single_upper{};  // upper case of each single-byte character
  // Upper case of each double-byte character, by its code (lead << 8 |
  // trail); 0 where it stays as it is. Always of the same length and never
  // ASCII, so only a-z ever fold in ASCII names.
  std::vector<uint16_t> double_upper = std::vector<uint16_t>(0x10000, 0);

  // Length of the character at `at`: 2 for a lead byte with a byte after it.
  size_t character_length(std::string_view text, size_t at) const {
    return lead[static_cast<unsigned char>(text[at])] && at + 1 < text.size() ? 2 : 1;
  }
};

// Upper-cases in `out` the characters beyond ASCII of `text` (`out` holds
// `text` with a-z already upper-cased, trail bytes included, which this
// puts back).
void upper_case_double_byte(const DoubleByteRules &rules, std::string_view text, char *out);

// Copies the leading whole characters of `text` that fit into `field` and
// zero-fills the rest; returns the number of text bytes copied.
size_t copy_whole_double_byte(const DoubleByteRules &rules, std::string_view text, std::span<uint8_t> field);

// True when `name` holds a backslash that is a character of its own (the
// trail byte of "ソ" or "表" is 0x5C too).
bool has_double_byte_backslash(const DoubleByteRules &rules, std::string_view name);

}  // namespace qorv
