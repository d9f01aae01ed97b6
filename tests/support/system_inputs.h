// The system input files of a whole run and the description sections that
// name them, shared by end-to-end tests that build a disc in a TempDir.
#pragma once

#include <string>

#include "support/test_support.h"

namespace qorv::test {

// Loader, boot file, BI2 and ZEM system file of small sizes in `folder`
// ("" or a name ending in "/"), and the folder "out" for the outputs.
inline void write_system_inputs(const TempDir &dir, const std::string &folder = "") {
  dir.write(folder + "ldr.bin", std::string(0x100, 'L'));
  dir.write(folder + "boot.bin", std::string(0x100, 'B'));
  dir.write(folder + "bi2.bin", std::string(8192, '\0'));
  dir.write(folder + "zemsys.bin", std::string(0x100, 'Z'));
  dir.mkdir("out");
}

// [Input] with `dvd_root` and the files above, and [Output] into "out".
inline std::string input_and_output_sections(const TempDir &dir, const std::string &dvd_root,
                                             const std::string &folder = "") {
  return "[Input]\n"
         "DvdRoot = \"" + dvd_root + "\"\n"
         "LDRFileName = \"" + dir.at(folder + "ldr.bin") + "\"\n"
         "BI2FileName = \"" + dir.at(folder + "bi2.bin") + "\"\n"
         "BootFileName = \"" + dir.at(folder + "boot.bin") + "\"\n"
         "ZEMSysFileName = \"" + dir.at(folder + "zemsys.bin") + "\"\n"
         "[Output]\n"
         "LayoutFileName = \"" + dir.at("out/disc.dlf") + "\"\n"
         "SystemFileName = \"" + dir.at("out/sys.bin") + "\"\n"
         "ConfigFileName = \"" + dir.at("out/cfg.bin") + "\"\n";
}

}  // namespace qorv::test
