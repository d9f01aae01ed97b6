// The system input files of a whole run and the description sections that
// name them, shared by end-to-end tests that build a disc in a TempDir.
#pragma once

#include <string>

#include "support/test_support.h"

namespace qorv::test {

// Loader, boot file, BI2 and ZEM system file of small sizes, and the
// folder "out" for the outputs.
inline void write_system_inputs(const TempDir &dir) {
  dir.write("ldr.bin", std::string(0x100, 'L'));
  dir.write("boot.bin", std::string(0x100, 'B'));
  dir.write("bi2.bin", std::string(8192, '\0'));
  dir.write("zemsys.bin", std::string(0x100, 'Z'));
  dir.mkdir("out");
}

// [Input] with `dvd_root` and the files above, and [Output] into "out".
inline std::string input_and_output_sections(const TempDir &dir, const std::string &dvd_root) {
  return "[Input]\n"
         "DvdRoot = \"" + dvd_root + "\"\n"
         "LDRFileName = \"" + dir.at("ldr.bin") + "\"\n"
         "BI2FileName = \"" + dir.at("bi2.bin") + "\"\n"
         "BootFileName = \"" + dir.at("boot.bin") + "\"\n"
         "ZEMSysFileName = \"" + dir.at("zemsys.bin") + "\"\n"
         "[Output]\n"
         "LayoutFileName = \"" + dir.at("out/disc.dlf") + "\"\n"
         "SystemFileName = \"" + dir.at("out/sys.bin") + "\"\n"
         "ConfigFileName = \"" + dir.at("out/cfg.bin") + "\"\n";
}

}  // namespace qorv::test
