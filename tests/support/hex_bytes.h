// Expected bytes written as text: hexadecimal pairs and big-endian words.
#pragma once

#include <cctype>
#include <cstdint>
#include <string>

namespace qorv::test {

// "5D 1C 9E A3" -> the four bytes; blanks are ignored.
inline std::string hex_bytes(const std::string &text) {
  std::string out;
  int high = -1;
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) continue;
    int v = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (std::toupper(c) - 'A' + 10);
    if (high < 0) {
      high = v;
    } else {
      out += static_cast<char>(high * 16 + v);
      high = -1;
    }
  }
  return out;
}

// A big-endian word as four bytes.
inline std::string be32(uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
          static_cast<char>(value)};
}

}  // namespace qorv::test
