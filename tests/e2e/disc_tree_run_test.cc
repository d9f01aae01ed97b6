// Whole runs through the tree stages: [PathList], [LayoutOff] and a mirror
// end up in the FST that the system file carries; a tree that cannot be
// scanned ends the run before anything is written.
#include <gtest/gtest.h>

#include <string>

#include "support/hex_bytes.h"
#include "support/run_tool.h"
#include "support/system_inputs.h"
#include "support/test_support.h"

namespace qorv::test {
namespace {

std::string description(const TempDir &dir, const std::string &dvd_root) {
  return input_and_output_sections(dir, dvd_root) +
         "FST = \"new\"\n"
         "[DiskID]\n"
         "GameName = \"ABCD\"\nCompany = \"01\"\nDiskNumber = 0\nGameVersion = 0\n"
         "DiskInfo = \"tree test\"\nTotalDisk = 1\n"
         "[BB2]\n"
         "FSTEndAddress = 0x81700000\n"
         "FSTuserEnd = 0x100000\n"
         "[PathList]\n"
         "ex = \"EXTRA/sub\", \"" + dir.at("extra") + "\"\n"
         "[LayoutOff]\n"
         "\"*.tmp\"\n"
         "[Layout]\n"
         "0 = \"DATA/a.bin\", 2, mirror\n";
}

void write_inputs(const TempDir &dir) {
  dir.write("root/DATA/a.bin", "hello");
  dir.write("root/empty", "");
  dir.write("root/skip.tmp", "gone");
  dir.write("extra/e.bin", std::string(100, 'e'));
  write_system_inputs(dir);
}

TEST(DiscTreeRun, FstInTheSystemFile) {
  TempDir dir;
  write_inputs(dir);
  RunState state;
  RunResult r = run_tool({dir.write("t.ddf", description(dir, dir.at("root")))}, state);
  ASSERT_EQ(r.status, 0) << r.err;

  // FST order: root, DATA, a.bin, its twin, empty, EXTRA (holder), sub, e.bin;
  // skip.tmp is off the disc. Boot file at 0x18000, FST at 0x18100: 96 bytes
  // of records and 36 of names end at 0x18184, so the user area starts at
  // 0x20000 and ends at 0x100000 - 32 - 0x100 - 0x40000 = 0xBFEE0.
  // Placed: a.bin 0x20000, empty 0x20008, e.bin 0x2000C; the twin (key 2)
  // at the end, its 5 bytes counted as 32: 0xBFEC0. ZEM stores offsets / 4.
  ASSERT_EQ(state.fst_position, 0x18100u);
  std::string fst = read_file(dir.at("out/sys.bin")).substr(0x18100);
  EXPECT_EQ(fst, record(0x01000000, 0, 8) +           // root
                     record(0x01000000, 0, 4) +       // DATA
                     record(0x04000005, 0x8000, 5) +  // a.bin, mirrored
                     record(0x06000005, 0x2FFB0, 5) + // its twin, same name
                     record(0x0000000B, 0x8002, 0) +  // empty
                     record(0x01000011, 0, 8) +       // EXTRA
                     record(0x01000017, 5, 8) +       // sub, parent EXTRA (5)
                     record(0x0000001B, 0x8003, 100) + // e.bin
                     std::string("DATA\0a.bin\0empty\0EXTRA\0sub\0e.bin\0\0\0\0", 36));
}

TEST(DiscTreeRun, MissingDiscRootEndsTheRun) {
  TempDir dir;
  write_inputs(dir);
  RunResult r = run_tool({dir.write("t.ddf", description(dir, dir.at("nowhere")))});
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "  mode=ZEM\n\nError: Cannot find " + dir.at("nowhere") + ".\n");
  EXPECT_FALSE(file_exists(dir.at("out/disc.dlf")));
}

}  // namespace
}  // namespace qorv::test
