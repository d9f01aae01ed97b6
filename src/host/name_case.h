// Letter case of disc names. The disc's file lookup ignores the case of
// "a" to "z". POSIX: every other byte (UTF-8 sequences included, whose bytes
// are all 0x80 or above) stays as it is, so no character is ever split.
// Windows: upper-casing also maps the other letters of the ANSI code page,
// double-byte characters included, each to one of the same length.
#pragma once

#include <string>
#include <string_view>

namespace qorv {

inline char upper_case_byte(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// Writes `text` upper-cased (or lower-cased: A-Z only) to `out` (text.size() bytes).
// upper_case_byte is the a-z part alone.
void upper_case_copy(std::string_view text, char *out);
void lower_case_copy(std::string_view text, char *out);

// Replaces the contents of `out` with `text` upper-cased (reuses its storage).
void upper_case_into(std::string_view text, std::string &out);

std::string upper_case_name(std::string_view text);

// Upper-cases in `out` the characters of `text` beyond ASCII, as the host's
// code page does (`out` holds `text` with a-z already upper-cased). Nothing
// on POSIX.
void upper_case_beyond_ascii(std::string_view text, char *out);

}  // namespace qorv
