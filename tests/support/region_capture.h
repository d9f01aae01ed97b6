// A run with an open system file in a scratch directory, for tests of the
// region writers: write regions, then look at the bytes that landed.
#pragma once

#include <sstream>
#include <string>

#include "core/run_state.h"
#include "support/hex_bytes.h"
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

}  // namespace qorv::test
