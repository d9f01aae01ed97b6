// Letter-case handling of the description language: ASCII letters only,
// every other byte is left as it is.
#pragma once

#include <string>
#include <string_view>

namespace qorv {

inline char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string ascii_upper(std::string_view text) {
  std::string out(text);
  for (char &c : out) c = ascii_upper(c);
  return out;
}

inline bool ascii_iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (ascii_upper(a[i]) != ascii_upper(b[i])) return false;
  return true;
}

}  // namespace qorv
