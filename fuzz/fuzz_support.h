// Scratch space shared by the fuzz targets: one directory per process, made
// on first use and removed when the process ends.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <streambuf>
#include <string>

namespace qorv::fuzz {

inline void write_bytes(const std::string &path, const uint8_t *data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
  if (!out) std::abort();  // the harness itself is broken
}

inline void write_text(const std::string &path, const std::string &text) {
  write_bytes(path, reinterpret_cast<const uint8_t *>(text.data()), text.size());
}

// A stream buffer that takes every byte and keeps none: output is dropped
// without failing (a stream without a buffer would fail every write).
struct NullBuffer : std::streambuf {
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char *, std::streamsize n) override { return n; }
};

inline void remove_scratch_dir();

// The process's scratch directory (an absolute path, made once).
inline const std::string &scratch_dir() {
  static const std::string dir = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "qorv-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    return pattern;
  }();
  static const bool cleanup_registered = (std::atexit(remove_scratch_dir), true);
  (void)cleanup_registered;
  return dir;
}

inline void remove_scratch_dir() {
  std::error_code ec;
  std::filesystem::remove_all(scratch_dir(), ec);
}

// A registry export file with a few values, named by QORV_REGISTRY_FILE, so
// that ${NAME} lookups do not depend on the machine. The environment gets a
// few variables for $(NAME), among them one that refers to itself.
inline void fix_variable_sources() {
  const std::string reg = scratch_dir() + "/values.reg";
  write_text(reg,
             "REGEDIT4\n\n"
             "[HKEY_CURRENT_USER\\SOFTWARE\\Kelvane\\QORV]\n"
             "\"Studio\"=\"Example Studio\"\n"
             "\"Root\"=\"disc\"\n"
             "\"Loop\"=\"${Loop}\"\n"
             "@=\"default\"\n");
  ::setenv("QORV_REGISTRY_FILE", reg.c_str(), 1);
  ::setenv("QFZ", "disc", 1);
  ::setenv("QFZ_LOOP", "$(QFZ_LOOP)", 1);
  ::setenv("QFZ_REG", "${Studio}", 1);
}

}  // namespace qorv::fuzz
