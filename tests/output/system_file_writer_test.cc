// The system file stage: eight regions in disc order with zero fill, in both
// modes, and its failures. Positions are set by hand as the system layout
// would compute them; expected bytes follow the block layouts.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "core/run_state.h"
#include "output/system_file_writer.h"
#include "support/region_capture.h"
#include "support/settings_builder.h"
#include "support/test_support.h"

namespace qorv {
namespace {

using test::be32;
using test::hex_bytes;

struct SystemRun {
  test::TempDir dir;
  RunState run;
  std::ostringstream err;
  FileEntry file_a;
  std::string system_path = dir.at("out/system.bin");
  std::string bi2 = std::string(8192, '\x77');
  std::string bi2_path = dir.write("in/bi2.bin", bi2);

  explicit SystemRun(TargetMode mode) {
    run.diag_stream = &err;
    run.target_mode = mode;
    run.advanced_fst = false;
    dir.mkdir("out");
    test::set_text(run, key::GameName, "GQRV");
    test::set_text(run, key::Company, "K1");
    test::set_number(run, key::DiskNumber, 0);
    test::set_number(run, key::GameVersion, 1);
    test::set_text(run, key::DiskInfo, "Demo");
    test::set_number(run, key::TotalDisk, 1);
    test::set_number(run, key::FSTEndAddress, 0x800000);
    test::set_text(run, key::BI2FileName, bi2_path);
    test::set_text(run, key::LDRFileName, dir.write("in/ldr.bin", std::string(0x100, 'L')));
    test::set_text(run, key::BootFileName, dir.write("in/boot.bin", std::string(0x123, 'B')));
    test::set_text(run, key::SystemFileName, system_path);

    // A root holding one file A of 5 bytes at 0x20000: two records and "A\0".
    run.root_entry.kind = FstKind::Directory;
    run.root_entry.extent = 2;
    file_a.disc_path = "A";
    file_a.file_size = 5;
    file_a.position = 0x20000;
    run.fst_entries = {&run.root_entry, &file_a};
    run.fst_entries_size = 24;
    run.fst_names_size = 2;

    // Loader 0x100 bytes: 0x2540 is below the minimum, so the boot file sits
    // at 0x18000; 0x18000 + 0x123 rounded up to 256 puts the FST at 0x18200.
    run.ldr_size = 0x100;
    run.boot_position = 0x18000;
    run.boot_size = 0x123;
    run.fst_position = 0x18200;
    run.fst_size = 26;
    run.user_area_start = 0x20000;
    run.user_area_end = 0x100000;
  }

  // Region 5 onwards: the same in both modes apart from the FST position word.
  std::string tail(uint32_t fst_a_position) const {
    std::string b = bi2;
    b.replace(0x1C, 8, be32(1) + be32(1));  // TotalDisk 1 as BCD, long names 1
    return b + std::string(0x100, 'L') + std::string(0x18000 - 0x2540, '\0') + std::string(0x123, 'B') +
           std::string(0x18200 - 0x18123, '\0') +
           // root: directory, parent 0, 2 entries; A: name offset 0, position, 5 bytes
           hex_bytes("01 00 00 00  00 00 00 00  00 00 00 02") + be32(0) + be32(fst_a_position) + be32(5) +
           std::string("A\0", 2);
  }
};

// Whole files of 98 KiB: report the first differing offset, not a dump.
void expect_same_bytes(const std::string &written, const std::string &expected) {
  ASSERT_EQ(written.size(), expected.size());
  auto [at, _] = std::mismatch(written.begin(), written.end(), expected.begin());
  EXPECT_TRUE(at == written.end()) << "first difference at 0x" << std::hex << (at - written.begin());
}

TEST(SystemFile, ZemRegionsAndZeroFill) {
  SystemRun s(TargetMode::ZEM);
  ASSERT_TRUE(write_system_file(s.run)) << s.err.str();
  std::string expected =
      // disc ID: name, company, BCD 00 and 01, no streaming, ZEM magic at 0x18
      "GQRVK1" + hex_bytes("00 01 00 00") + std::string(14, '\0') + hex_bytes("5D 1C 9E A3 00 00 00 00") +
      // disc info: 64-byte text field, hash and encryption off; zero to 0x400
      "Demo" + std::string(60, '\0') + hex_bytes("01 01") + std::string(0x400 - 0x62, '\0') +
      // loader block: zero in ZEM mode; zero from 0x410 to the BB2 at 0x420
      std::string(16, '\0') + std::string(16, '\0') +
      // BB2 in units of 4: boot 0x18000, FST 0x18200, size 26 (6 after the
      // division, twice), (0x800000 - 26) down to 32 = 0x7FFFE0, user area
      // 0x20000 and its length 0xE0000; then 4 bytes of zero up to 0x440
      be32(0x6000) + be32(0x6080) + be32(6) + be32(6) + be32(0x7FFFE0) + be32(0x8000) + be32(0x38000) +
      std::string(4, '\0') + s.tail(0x20000 / 4);
  ASSERT_EQ(expected.size(), 0x18200u + 26);  // the file ends with the FST
  expect_same_bytes(test::read_file(s.system_path), expected);
  EXPECT_FALSE(s.run.system_file.is_open());
  EXPECT_EQ(s.err.str(), "");
  // The header copy for the configuration file holds the first 98 bytes.
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(s.run.disc_header_copy.data()), 98), expected.substr(0, 98));
}

TEST(SystemFile, HtRegionsAndZeroFill) {
  SystemRun s(TargetMode::HT);
  ASSERT_TRUE(write_system_file(s.run)) << s.err.str();
  std::string expected =
      "GQRVK1" + hex_bytes("00 01 00 00") + std::string(14, '\0') + hex_bytes("00 00 00 00 C2 33 9F 3D") +
      // disc info: text and terminator, zero to 0x400
      std::string("Demo\0", 5) + std::string(0x400 - 0x25, '\0') +
      // loader block: loader size 0x100 and the load address
      be32(0x100) + hex_bytes("80 28 00 60") + std::string(8, '\0') + std::string(16, '\0') +
      // BB2 undivided: (0x800000 - 26) down to 32 = 0x7FFFE0
      be32(0x18000) + be32(0x18200) + be32(26) + be32(26) + be32(0x7FFFE0) + be32(0x20000) + be32(0xE0000) +
      std::string(4, '\0') + s.tail(0x20000);
  expect_same_bytes(test::read_file(s.system_path), expected);
  EXPECT_EQ(s.run.disc_header_copy, (std::array<uint8_t, 1024>{}));
}

TEST(SystemFile, PathThatCannotBeCreated) {
  SystemRun s(TargetMode::ZEM);
  std::string nowhere = s.dir.at("missing/system.bin");
  test::set_text(s.run, key::SystemFileName, nowhere);
  EXPECT_FALSE(write_system_file(s.run));
  EXPECT_EQ(s.err.str(), "Error: Fail to create file. (" + nowhere + ")\n");
  EXPECT_EQ(s.run.error_count, 1);
}

TEST(SystemFile, FailingRegionStopsTheFileThere) {
  SystemRun s(TargetMode::ZEM);
  test::write_file(s.bi2_path, std::string(8191, '\x77'));
  EXPECT_FALSE(write_system_file(s.run));
  EXPECT_EQ(s.err.str(), "Error: File read error.(" + s.bi2_path + ")\n");
  EXPECT_FALSE(s.run.system_file.is_open());
  EXPECT_EQ(test::read_file(s.system_path).size(), 0x440u);  // regions 1 to 4 only
}

}  // namespace
}  // namespace qorv
