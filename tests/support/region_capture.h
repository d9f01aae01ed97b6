// A run with an open system file in a scratch directory, for tests of the
// region writers: write regions, then look at the bytes that landed.
#pragma once

#include <cctype>
#include <cstdint>
#include <sstream>
#include <string>

#include "core/run_state.h"
#include "support/test_support.h"

namespace qorv::test {

struct RegionCapture {
  TempDir dir;
  RunState run;
  std::ostringstream err, out;

  explicit RegionCapture(TargetMode mode = TargetMode::ZEM) {
    run.diag_stream = &err;
    run.out_stream = &out;
    run.target_mode = mode;
    run.system_file.open(system_path(), FileAccess::Write);
  }

  std::string system_path() const { return dir.at("system.bin"); }

  // Closes the system file and returns everything written to it.
  std::string bytes() {
    run.system_file.close();
    return read_file(system_path());
  }
};

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
