// The shipped example disc in a scratch folder, laid out by QorvMakeDlf run
// in-process, for the image tool's scenarios; and a build long enough to be
// interrupted.
#pragma once

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/hex_bytes.h"
#include "support/run_tool.h"
#include "support/test_support.h"

namespace qorv::test {

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
    made_ = lay_out();
  }
  // Lays the disc out again, from the scratch folder as `make demo` does: the
  // descriptions name their host paths relative to the current folder.
  bool lay_out() const {
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    const int status = run_tool({"common.ddf", mode_ + ".ddf"}).status;
    std::filesystem::current_path(before);
    return status == 0;
  }
  bool made() const { return made_ && file_exists(dlf()); }
  const TempDir &dir() const { return dir_; }
  std::string at(const std::string &relative) const { return dir_.at(relative); }
  std::string dlf() const { return dir_.at("out/" + mode_ + ".dlf"); }
  // QorvImage's arguments to build the DLF quietly into `image`; `more`
  // options before the DLF.
  std::vector<std::string> build_args(const std::string &image, std::vector<std::string> more = {}) const {
    std::vector<std::string> args{"build", "-q", "-C", dir_.path(), "-o", image};
    args.insert(args.end(), more.begin(), more.end());
    args.push_back(dlf());
    return args;
  }
  // Replaces `from`, which must be there, by `to` in the file at `relative`.
  void replace(const std::string &relative, const std::string &from, const std::string &to) const {
    std::string text = read_file(at(relative));
    text.replace(text.find(from), from.size(), to);
    write_file(at(relative), text);
  }

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
  bool made_ = false;
};

// A build that takes long enough to be interrupted: in `dir`, big.dlf names
// one MiB of real data (data.bin) by 2,048 items, 2 GiB to copy, far more
// than the moments between the start of the copy and a signal or Ctrl-C.
inline void write_long_build(const TempDir &dir) {
  std::string data(1 << 20, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + 1);
  write_file(dir.at("data.bin"), data);
  std::string sys(0x440, '\0');
  sys.replace(0x1C, 4, be32(0xC2339F3D));  // the HT magic word
  write_file(dir.at("sys.bin"), sys);
  std::string dlf = "v1.00\r\n0x00000000,\"" + dir.at("sys.bin") + "\"\r\n";
  for (uint64_t i = 1; i <= 2048; ++i) dlf += hex(i << 20, 8) + ",\"" + dir.at("data.bin") + "\"\r\n";
  dlf += hex(2049ull << 20, 8) + ",\"\"\r\n";
  write_file(dir.at("big.dlf"), dlf);
}

}  // namespace qorv::test
