// Expected bytes written as text: hexadecimal pairs, big-endian words, FST
// records and DLFs.
#pragma once

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

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

// "0x" and `value` in lower-case hexadecimal, at least `width` digits: the
// offsets of DLF lines and messages.
inline std::string hex(uint64_t value, int width = 0) {
  char digits[24];
  std::snprintf(digits, sizeof digits, "0x%0*llx", width, static_cast<unsigned long long>(value));
  return digits;
}

// An FST record as its three words (type byte and name offset, then the two
// words whose meaning depends on the type).
inline std::string record(uint32_t w0, uint32_t w1, uint32_t w2) { return be32(w0) + be32(w1) + be32(w2); }

// A v2.00 DLF naming the configuration file `config`, then a line per item
// (offset, host path), the closing line (an empty path) last.
inline std::string zem_dlf(const std::string &config, const std::vector<std::pair<uint64_t, std::string>> &items) {
  std::string text = "v2.00\r\nZEM_CONFIG_FILE,\"" + config + "\"\r\n";
  for (const auto &[offset, path] : items) text += hex(offset, 16) + ",\"" + path + "\"\r\n";
  return text;
}

}  // namespace qorv::test
