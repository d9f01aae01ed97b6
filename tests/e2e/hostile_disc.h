// The scratch disc the hostile-input scenarios start from: small system
// inputs in sys/, an empty disc root root/, an out/ folder for the outputs,
// and a base description (layer 1, ZEM mode) naming them all by absolute
// path. A scenario fills the tree and passes its own keys as a second
// description file, whose single keys override the base's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/hex_bytes.h"
#include "support/run_tool.h"
#include "support/system_inputs.h"
#include "support/test_support.h"

namespace qorv::test {

// With these inputs the boot file lies at 0x18000 and the FST at 0x18100, so
// a small tree's user area starts at 0x20000; it ends at FSTuserEnd 0x100000
// - 32 - 0x100 (ZEM system file) - 0x40000 (configuration file) = 0xBFEE0.
inline const char *const kBaseUserArea = "  user area = 20000 - bfee0\n";
inline const char *const kBaseMessages = "  mode=ZEM\n\n  user area = 20000 - bfee0\n";

class HostileDisc {
public:
  HostileDisc() {
    write_system_inputs(dir_, "sys/");
    dir_.mkdir("root");
    base_ = dir_.write("base.ddf",
                       input_and_output_sections(dir_, at("root"), "sys/") +
                       "[DiskID]\n"
                       "GameName = \"HSTL\"\nCompany = \"01\"\nDiskNumber = 0\nGameVersion = 0\n"
                       "DiskInfo = \"hostile\"\nTotalDisk = 1\n"
                       "[BB2]\n"
                       "FSTEndAddress = 0x81700000\n"
                       "FSTuserEnd = 0x100000\n");
  }

  const TempDir &dir() const { return dir_; }
  std::string at(const std::string &relative) const { return dir_.at(relative); }
  const std::string &base() const { return base_; }

  // Runs the base description with `overrides` as the second file (none
  // when empty), on a fresh run state.
  RunResult run(const std::string &overrides = "") {
    std::vector<std::string> args{base_};
    if (!overrides.empty()) args.push_back(dir_.write("over.ddf", overrides));
    return run_tool(args, state_.emplace());
  }
  // Runs the base description and the given further file.
  RunResult run_with_file(const std::string &second) { return run_tool({base_, second}, state_.emplace()); }

  // The state the last run left.
  const RunState &state() const { return *state_; }
  std::string dlf() const { return read_file(at("out/disc.dlf")); }
  bool wrote(const std::string &output) const { return file_exists(at("out/" + output)); }

  // The DLF of a successful run: header lines, one line per item
  // ("0x<16 digits>,\"<host path>\"") and the closing line.
  std::string expected_dlf(std::vector<std::pair<uint64_t, std::string>> items, uint64_t closing) const {
    items.emplace(items.begin(), 0, at("out/sys.bin"));
    items.emplace_back(closing, "");
    return zem_dlf(at("out/cfg.bin"), items);
  }

private:
  TempDir dir_;
  std::string base_;
  std::optional<RunState> state_;
};

}  // namespace qorv::test
