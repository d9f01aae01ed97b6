// Letter case of the ASCII letters of disc names. The disc's file lookup
// ignores the case of "a" to "z"; the further letters of a code page are
// the disc code page's (host/disc_code_page.h).
#pragma once

#include <string_view>

namespace qorv {

inline char upper_case_byte(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// Writes `text` with a-z upper-cased (or A-Z lower-cased) to `out`
// (text.size() bytes); every other byte as it is.
void ascii_upper_case_copy(std::string_view text, char *out);
void ascii_lower_case_copy(std::string_view text, char *out);

}  // namespace qorv
