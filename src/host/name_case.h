// Letter case of disc names. The disc's file lookup ignores the case of
// "a" to "z"; every other byte (UTF-8 sequences included, whose bytes are all
// 0x80 or above) stays as it is, so no character is ever split.
#pragma once

#include <string>
#include <string_view>

namespace qorv {

inline char upper_case_byte(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// Writes `text` upper-cased (or lower-cased: A-Z only) to `out` (text.size() bytes).
void upper_case_copy(std::string_view text, char *out);
void lower_case_copy(std::string_view text, char *out);

// Replaces the contents of `out` with `text` upper-cased (reuses its storage).
void upper_case_into(std::string_view text, std::string &out);

std::string upper_case_name(std::string_view text);

}  // namespace qorv
