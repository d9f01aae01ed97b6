// Limits a probe found: endless description lines, header words that cannot
// hold their values, [Layout] orders past 65,536 lines of one value, and
// tables of thousands of [PathList] names and [LbaOrigin] LBAs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "e2e/hostile_disc.h"

namespace qorv::test {
namespace {

// The base disc: boot file at 0x18000, FST at 0x18100, user area 0x20000 to
// 0xBFEE0 in ZEM mode (0xFFFE0 in HT mode: FSTuserEnd 0x100000 - 32). The
// BB2 block stores positions and lengths in 32-bit words, divided by 4 in
// ZEM mode.
TEST(ProbeLimits, LongLinesHeaderWordsAndLongTables) {
  HostileDisc disc;
  const std::string over = disc.at("over.ddf"), missing = disc.at("missing"), ht = "[Output]\nMode = HT\n";
  // Line 3 is one byte over 64 MiB: the definition it cuts and the stray "!"
  // after it draw nothing (the rest is unread). Exactly 64 MiB is fine.
  auto cut = disc.dir().write("cut.ddf", "[DiskID]\nDiskInfo =\n" + std::string((64 << 20) + 1, 'y') + "\n!\n");
  // A sparse loader file just below 4 GiB (HT): the boot file would start at
  // 0x2440 + 0xFFFFFF00 rounded up to 256, the FST 0x100 later, the user area
  // at the next multiple of 0x8000 (an end below it is the placement's 1021).
  std::filesystem::resize_file(disc.dir().write("sys/big.bin", ""), 0xFFFFFF00);
  // b.bin takes the 65,537th key of value -1, c.bin the 65,538th: both before
  // a.bin, in written order. Line 3002 redefines P1500 (now a missing folder,
  // checked at its new line) or repeats the LBA of line 1501; line 3003
  // follows an LBA without origin, line 3004 the first origin.
  std::string layout = "[Layout]\n", paths = "[PathList]\n", origins = "[LbaOrigin]\n";
  for (int i = 1; i <= 65537; ++i) layout += "0 = \"b.bin\", -1\n";
  for (int i = 1; i <= 3000; ++i) {
    paths += "P" + std::to_string(i) + " = \"X" + std::to_string(i) + "\", \"" + disc.dir().path() + "\"\n";
    origins += std::to_string(i * 0x100) + " = \"f\", +\n";
  }
  for (const char *name : {"a.bin", "b.bin", "c.bin"}) disc.dir().write(std::string("root/") + name, "1234");
  const std::string zem = "  mode=ZEM\n\nError: ", htm = "  mode=HT\n\nError: ", out = " is out of the disc format.\n",
                    not4 = " is not a multiple of 4.\n";
  // The second description file (a path, or the text of over.ddf) and stderr.
  const std::pair<std::string, std::string> cases[] = {
      {"/dev/zero", "Error:/dev/zero, 1: line is too long\n"},
      {cut, "Error:" + cut + ", 3: line is too long\n"},
      {"[DiskID]\nDiskInfo = \"" + std::string((64 << 20) - 13, 'x') + "\"\r\n", kBaseMessages},
      {"[BB2]\nFSTuserTop = 0x20002\n", zem + "FSTuserTop(0000000000020002)" + not4},
      // The length: 0x100002 - 32 - 0x100 - 0x40000 - 0x20000 = 0x9FEE2;
      // 0x400100000 gives 0x40009FEE0, 2^34 or more; 0x1000DFFE0 in HT mode.
      {"[BB2]\nFSTuserEnd = 0x100002\n", zem + "FSTuserEnd(0000000000100002)" + not4},
      {"[BB2]\nFSTuserEnd = 0x400100000\n", zem + "FSTuserEnd(0000000400100000)" + out},
      {ht + "[BB2]\nFSTuserEnd = 0x100100000\n", htm + "FSTuserEnd(0000000100100000)" + out},
      {"[BB2]\nFSTMaxLength = 0x400000000\nFSTuserTop = 0x20002\n",
       zem + "FSTMaxLength(0000000400000000)" + out + "Error: FSTuserTop(0000000000020002)" + not4},
      {ht + "[Input]\nLDRFileName = \"" + disc.at("sys/big.bin") + "\"\n",
       htm + "Boot file position(0000000100002400)" + out + "Error: FST position(0000000100002500)" + out +
           "Error: User area start(0000000100008000)" + out},
      {paths + "P1500 = \"X1500\", \"" + missing + "\"\n",
       "Warning:" + over + ", 3002: name=\"FST dir\",\"Windows dir\" is redefined.\n  mode=ZEM\n\nError:" + over +
           ", 3002: Cannot find " + missing + ".\n"},
      {origins + "0x5DC00 = \"dup\", -\n0x100100 :: \"g\"\n0x100 :: \"h\"\n",
       "Error:" + over + ", 3002: LBA(000000000005DC00) is redefined.\nError:" + over +
           ", 3003: LBA(0000000000100100) is undefined.\n"},
      {layout + "0 = \"c.bin\", -1\n", kBaseMessages},  // last: its DLF is checked below
  };
  for (const auto &[input, err] : cases) {
    std::filesystem::remove(disc.at("out/disc.dlf"));
    RunResult r = input.find('\n') == std::string::npos ? disc.run_with_file(input) : disc.run(input);
    const bool ok = err == kBaseMessages;  // status 0 and a DLF, or 255 and nothing written
    EXPECT_EQ(std::tuple(r.status, r.err, disc.wrote("disc.dlf")), std::tuple(ok ? 0 : -1, err, ok));
  }
  EXPECT_EQ(disc.dlf(), disc.expected_dlf({{0x20000, disc.at("root/b.bin")}, {0x20004, disc.at("root/c.bin")},
                                           {0x20008, disc.at("root/a.bin")}}, 0x2000C + 32));
}

}  // namespace
}  // namespace qorv::test
