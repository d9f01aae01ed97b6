// The shipped example disc in a scratch folder, laid out by QorvMakeDlf, for
// the image tool's end-to-end tests; and QorvImage run in-process.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/image_command_line.h"
#include "image/image_report.h"
#include "support/test_support.h"

namespace qorv::test {

struct ImageResult {
  int status = 0;
  std::string err, out;
};

inline ImageResult run_image(const std::vector<std::string> &args, ImageRun &run) {
  std::ostringstream err, out;
  run.diag_stream = &err;
  run.out_stream = &out;
  std::vector<const char *> argv{"QorvImage"};
  for (const std::string &a : args) argv.push_back(a.c_str());
  ImageResult r;
  r.status = run_image_program(run, static_cast<int>(argv.size()), argv.data());
  r.err = err.str();
  r.out = out.str();
  return r;
}

inline ImageResult run_image(const std::vector<std::string> &args) {
  ImageRun run;
  return run_image(args, run);
}

// examples/ copied to a scratch folder, where QorvMakeDlf has written
// out/<mode>.dlf and its system files ("zem" or "ht").
class ExampleDisc {
public:
  explicit ExampleDisc(const std::string &mode) : mode_(mode) {
    std::filesystem::copy(std::string(QORV_SOURCE_DIR) + "/examples", dir_.path(),
                          std::filesystem::copy_options::recursive);
    // out/ is scratch space of `make demo`: start without what it left.
    std::filesystem::remove_all(dir_.at("out"));
    dir_.mkdir("out");
    std::string command = kWindowsHost ? "cd /d \"" + dir_.path() + "\" && \"" + QORV_BINARY + "\" common.ddf " +
                                             mode + ".ddf 2>NUL"
                                       : "cd '" + dir_.path() + "' && '" + QORV_BINARY + "' common.ddf " + mode +
                                             ".ddf 2>/dev/null";
    status_ = std::system(command.c_str());
  }
  bool made() const { return status_ == 0 && file_exists(dlf()); }
  const TempDir &dir() const { return dir_; }
  std::string at(const std::string &relative) const { return dir_.at(relative); }
  std::string dlf() const { return dir_.at("out/" + mode_ + ".dlf"); }

  // The DLF's item lines as (offset, name), the closing line last.
  std::vector<std::pair<uint64_t, std::string>> items() const {
    std::vector<std::pair<uint64_t, std::string>> out;
    std::istringstream lines(read_file(dlf()));
    for (std::string line; std::getline(lines, line);) {
      if (!line.starts_with("0x")) continue;
      size_t comma = line.find(',');
      out.emplace_back(std::stoull(line.substr(2, comma - 2), nullptr, 16),
                       line.substr(comma + 2, line.rfind('"') - comma - 2));
    }
    return out;
  }

  // The image assembled directly: zeros up to the closing offset, every
  // item's file at its offset.
  std::string direct_assembly() const {
    auto lines = items();
    std::string image(lines.back().first, '\0');
    for (size_t i = 0; i + 1 < lines.size(); ++i)
      if (!lines[i].second.empty()) {
        std::string data = read_file(at(lines[i].second));
        image.replace(lines[i].first, data.size(), data);
      }
    return image;
  }

private:
  std::string mode_;
  TempDir dir_;
  int status_ = -1;
};

// A build that takes long enough to be interrupted: in `dir`, big.dlf names
// one MiB of real data (data.bin) by 2,048 items, 2 GiB to copy, far more
// than the moments between the start of the copy and a signal or Ctrl-C.
inline void write_long_build(const TempDir &dir) {
  std::string data(1 << 20, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + 1);
  write_file(dir.at("data.bin"), data);
  std::string sys(0x440, '\0');
  sys[0x1C] = '\xC2', sys[0x1D] = '\x33', sys[0x1E] = '\x9F', sys[0x1F] = '\x3D';
  write_file(dir.at("sys.bin"), sys);
  std::string dlf = "v1.00\r\n0x00000000,\"" + dir.at("sys.bin") + "\"\r\n";
  for (uint64_t i = 1; i <= 2048; ++i) dlf += hex_offset(i << 20, 8) + ",\"" + dir.at("data.bin") + "\"\r\n";
  dlf += hex_offset(2049ull << 20, 8) + ",\"\"\r\n";
  write_file(dir.at("big.dlf"), dlf);
}

}  // namespace qorv::test
