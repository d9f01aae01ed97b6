// Letter case of the ASCII letters, the only ones the tool folds itself: in
// disc names (the disc's file lookup ignores the case of "a" to "z"; the
// further letters of a code page are the disc code page's, see
// host/disc_code_page.h), in the description language's words and in
// settings. Every other byte stays as it is.
#pragma once

#include <string>
#include <string_view>

namespace qorv {

inline char upper_case_byte(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
inline char lower_case_byte(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
inline unsigned char lower_case_byte(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

inline std::string ascii_upper(std::string_view text) {
  std::string out(text);
  for (char &c : out) c = upper_case_byte(c);
  return out;
}

inline std::string ascii_lower(std::string_view text) {
  std::string out(text);
  for (char &c : out) c = lower_case_byte(c);
  return out;
}

inline bool ascii_iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (upper_case_byte(a[i]) != upper_case_byte(b[i])) return false;
  return true;
}

// Writes `text` with a-z upper-cased (or A-Z lower-cased) to `out`
// (text.size() bytes); every other byte as it is.
void ascii_upper_case_copy(std::string_view text, char *out);
void ascii_lower_case_copy(std::string_view text, char *out);

}  // namespace qorv
