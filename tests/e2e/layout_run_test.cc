// A whole run on a small tree with [Layout], [LbaAlign] and [LbaOrigin]: the
// DLF lists every file where the layout rules put it, and the run goes on
// through the later stages.
#include <gtest/gtest.h>

#include <string>

#include "support/run_tool.h"
#include "support/system_inputs.h"
#include "support/test_support.h"

namespace qorv::test {
namespace {

// The tree, in FST order (names upper-cased and compared bytewise):
// a.bin 10, b.bin 5, big.bin 0x30, fixed.bin 16, sub/c.bin 3, sub/f2.bin 6,
// y.bin 8, z.bin 40 bytes. System inputs are small, so the FST ends far
// below FSTuserTop = 0x40000, the user area start.
void write_inputs(const TempDir &dir) {
  dir.write("root/a.bin", std::string(10, 'a'));
  dir.write("root/b.bin", std::string(5, 'b'));
  dir.write("root/big.bin", std::string(0x30, 'g'));
  dir.write("root/fixed.bin", std::string(16, 'f'));
  dir.write("root/sub/c.bin", std::string(3, 'c'));
  dir.write("root/sub/f2.bin", std::string(6, 'e'));
  dir.write("root/y.bin", std::string(8, 'y'));
  dir.write("root/z.bin", std::string(40, 'z'));
  write_system_inputs(dir);
}

std::string description(const TempDir &dir) {
  return input_and_output_sections(dir, dir.at("root")) +
         "[DiskID]\n"
         "GameName = \"ABCD\"\n"
         "Company = \"01\"\n"
         "DiskNumber = 0\n"
         "GameVersion = 0\n"
         "DiskInfo = \"layout test\"\n"
         "TotalDisk = 1\n"
         "[BB2]\n"
         "FSTEndAddress = 0x81700000\n"
         "FSTuserTop = 0x40000\n"
         "FSTuserEnd = 0x100000\n"
         "[Layout]\n"
         "0 = \"y.bin\", -1\n"
         "0 = \"z.bin\", 1\n"
         "[LbaAlign]\n"
         "0 = \"big.bin\", 0x800\n"
         "[LbaOrigin]\n"
         "0x50000 = \"fixed.bin\", +\n"
         "0x50000 :: \"sub/f2.bin\"\n";
}

TEST(LayoutRun, SmallTreeWithAllLayoutSections) {
  // User area: 0x40000 to 0x100000 - 32 - 0x100 (ZEM system file) - 0x40000
  // = 0xBFEE0. Front group in key order: y (-1) 0x40000; a 0x40008 (ends
  // 0x40012 -> 0x40014); b 0x40014 (ends 0x40019 -> 0x4001C); big aligned
  // to 0x40800 (ends 0x40830); sub/c 0x40830, ending 0x40834, where the
  // split gap marker goes. Chain: fixed 0x50000 .. 0x50010, sub/f2 0x50010,
  // ending 0x50016 -> 0x50018, then a marker. z ([Layout] 1), 40 bytes
  // counted as 64: 0xBFEE0 - 0x40 = 0xBFEA0, ending 0xBFEC8, a multiple of 4,
  // so the closing line is 0xBFEC8 + 32 = 0xBFEE8.
  TempDir dir;
  write_inputs(dir);
  const std::string ddf = dir.write("disc.ddf", description(dir));
  RunState state;
  RunResult r = run_tool({ddf}, state);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("  user area = 40000 - bfee0\n"), std::string::npos) << r.err;
  const std::string root = dir.at("root/");
  EXPECT_EQ(read_file(dir.at("out/disc.dlf")),
            "v2.00\r\n"
            "ZEM_CONFIG_FILE,\"" + dir.at("out/cfg.bin") + "\"\r\n"
            "0x0000000000000000,\"" + dir.at("out/sys.bin") + "\"\r\n"
            "0x0000000000040000,\"" + root + "y.bin\"\r\n"
            "0x0000000000040008,\"" + root + "a.bin\"\r\n"
            "0x0000000000040014,\"" + root + "b.bin\"\r\n"
            "0x0000000000040800,\"" + root + "big.bin\"\r\n"
            "0x0000000000040830,\"" + dir.at("root/sub/c.bin") + "\"\r\n"
            "0x0000000000040834,\"\"\r\n"
            "0x0000000000050000,\"" + root + "fixed.bin\"\r\n"
            "0x0000000000050010,\"" + dir.at("root/sub/f2.bin") + "\"\r\n"
            "0x0000000000050018,\"\"\r\n"
            "0x00000000000bfea0,\"" + root + "z.bin\"\r\n"
            "0x00000000000bfee8,\"\"\r\n");
}

}  // namespace
}  // namespace qorv::test
