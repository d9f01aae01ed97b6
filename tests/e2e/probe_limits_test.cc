// Limits a probe found: endless description lines, header words that cannot
// hold their values, [Layout] orders past 65,536 lines of one value, and
// tables of thousands of [PathList] names and [LbaOrigin] LBAs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>

#include "e2e/hostile_disc.h"

namespace qorv::test {
namespace {

constexpr size_t kMiB = size_t{1} << 20;

TEST(ProbeLimits, LinesUpToSixtyFourMebibytes) {
  HostileDisc disc;
  // Line 3 is one byte too long: reported at its line; the definition it
  // cuts and the stray "!" on line 4 give nothing more (the rest is unread).
  const std::string cut = disc.dir().write("cut.ddf", "[DiskID]\nDiskInfo =\n" + std::string(64 * kMiB + 1, 'y') + "\n!\n");
  for (const std::string &file : {std::string("/dev/zero"), cut}) {
    RunResult r = disc.run_with_file(file);
    EXPECT_EQ(r.status, -1);
    EXPECT_EQ(r.err, "Error:" + file + ", " + (file == cut ? "3" : "1") + ": line is too long\n");
  }
  // Exactly 64 MiB before the CR LF is fine.
  RunResult r = disc.run("[DiskID]\nDiskInfo = \"" + std::string(64 * kMiB - 13, 'x') + "\"\r\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, kBaseMessages);

  // A description read from a pipe, as `QorvMakeDlf <(generator)` does,
  // with a line of a mebibyte: more than the pipe holds at once.
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::thread writer([fd = fds[1]] {
    const std::string text = "[DiskID]\nDiskInfo = \"" + std::string(kMiB, 'p') + "\"\n";
    for (size_t done = 0; done < text.size();) {
      ssize_t n = write(fd, text.data() + done, text.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    close(fd);
  });
  r = disc.run_with_file("/dev/fd/" + std::to_string(fds[0]));
  writer.join();
  close(fds[0]);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, kBaseMessages);
  EXPECT_EQ(read_file(disc.at("out/sys.bin")).substr(0x20, 64), std::string(64, 'p'));
}

// The base disc: boot file at 0x18000, FST at 0x18100, user area 0x20000 to
// 0xBFEE0 in ZEM mode (0xFFFE0 in HT mode: FSTuserEnd 0x100000 - 32). The
// BB2 block stores positions and lengths in 32-bit words, divided by 4 in
// ZEM mode.
TEST(ProbeLimits, HeaderWordsHoldTheirValuesExactly) {
  HostileDisc disc;
  // A sparse loader file just below 4 GiB: the boot file would start at
  // 0x2440 + 0xFFFFFF00 rounded up to 256 = 0x100002400, the FST 0x100 later,
  // the user area at the next multiple of 0x8000 (an end below the start is
  // the placement's 1021, which the failed stage never reaches).
  const std::string big = disc.dir().write("sys/big.bin", "");
  std::filesystem::resize_file(big, 0xFFFFFF00);
  const std::string ht = "[Output]\nMode = HT\n";
  auto error = [](const std::string &text) { return "Error: " + text + "\n"; };
  struct Case {
    std::string over;
    std::string errors;
  } cases[] = {
      {"[BB2]\nFSTuserTop = 0x20002\n", error("FSTuserTop(0000000000020002) is not a multiple of 4.")},
      // 0x100002 - 32 - 0x100 - 0x40000 - 0x20000 = 0x9FEE2.
      {"[BB2]\nFSTuserEnd = 0x100002\n", error("FSTuserEnd(0000000000100002) is not a multiple of 4.")},
      // The length 0x40009FEE0 is 2^34 or more.
      {"[BB2]\nFSTuserEnd = 0x400100000\n", error("FSTuserEnd(0000000400100000) is out of the disc format.")},
      {"[BB2]\nFSTMaxLength = 0x1002\n", error("FSTMaxLength(0000000000001002) is not a multiple of 4.")},
      {"[BB2]\nFSTMaxLength = 0x400000000\nFSTuserTop = 0x20002\n",
       error("FSTMaxLength(0000000400000000) is out of the disc format.") +
           error("FSTuserTop(0000000000020002) is not a multiple of 4.")},
      // HT: the length 0x1000DFFE0 is 2^32 or more (the BB2 word would say 0xDFFE0).
      {ht + "[BB2]\nFSTuserEnd = 0x100100000\n", error("FSTuserEnd(0000000100100000) is out of the disc format.")},
      {ht + "[BB2]\nFSTuserTop = 0x100000000\nFSTuserEnd = 0x100100000\n",
       error("FSTuserTop(0000000100000000) is out of the disc format.")},
      {ht + "[Input]\nLDRFileName = \"" + big + "\"\n",
       error("Boot file position(0000000100002400) is out of the disc format.") +
           error("FST position(0000000100002500) is out of the disc format.") +
           error("User area start(0000000100008000) is out of the disc format.")},
  };
  for (const Case &c : cases) {
    RunResult r = disc.run(c.over);
    EXPECT_EQ(r.status, -1) << c.over;
    EXPECT_EQ(r.err, (c.over.starts_with(ht) ? "  mode=HT\n\n" : "  mode=ZEM\n\n") + c.errors) << c.over;
    EXPECT_FALSE(disc.wrote("disc.dlf")) << c.over;
  }
}

TEST(ProbeLimits, LayoutOrderPastSixtyFiveThousandLinesOfOneValue) {
  HostileDisc disc;
  for (const char *name : {"a.bin", "b.bin", "c.bin"}) disc.dir().write(std::string("root/") + name, "1234");
  // b.bin takes the key of the 65,537th line of value -1, c.bin that of the
  // 65,538th: both still before a.bin (no [Layout] line), in written order.
  std::string over = "[Layout]\n";
  for (int i = 0; i < 65537; ++i) over += "0 = \"b.bin\", -1\n";
  RunResult r = disc.run(over + "0 = \"c.bin\", -1\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, kBaseMessages);
  EXPECT_EQ(disc.dlf(), disc.expected_dlf({{0x20000, disc.at("root/b.bin")},
                                           {0x20004, disc.at("root/c.bin")},
                                           {0x20008, disc.at("root/a.bin")}},
                                          0x2000C + 32));
}

// Thousands of names and LBAs in one section: a later definition still finds
// the earlier one (warning and replacement, or error 1008) and a follower
// its origin.
TEST(ProbeLimits, ThousandsOfPathListNamesAndOrigins) {
  HostileDisc disc;
  const std::string over = disc.at("over.ddf"), empty = disc.dir().mkdir("empty");
  std::string paths = "[PathList]\n", origins = "[LbaOrigin]\n";
  for (int i = 1; i <= 3000; ++i) {
    paths += "P" + std::to_string(i) + " = \"X" + std::to_string(i) + "\", \"" + empty + "\"\n";
    origins += std::to_string(i * 0x100) + " = \"f" + std::to_string(i) + "\", +\n";
  }
  // Line 3002: P1500 now names a missing folder, checked at its new line.
  RunResult r = disc.run(paths + "P1500 = \"X1500\", \"" + disc.at("missing") + "\"\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "Warning:" + over + ", 3002: name=\"FST dir\",\"Windows dir\" is redefined.\n"
                   "  mode=ZEM\n\n"
                   "Error:" + over + ", 3002: Cannot find " + disc.at("missing") + ".\n");
  // Line 3002 repeats the LBA of line 1501 (1500 * 0x100), line 3003 follows
  // an LBA without origin, line 3004 the first origin.
  r = disc.run(origins + "0x5DC00 = \"dup\", -\n0x100100 :: \"g\"\n0x100 :: \"h\"\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "Error:" + over + ", 3002: LBA(000000000005DC00) is redefined.\n"
                   "Error:" + over + ", 3003: LBA(0000000000100100) is undefined.\n");
}

}  // namespace
}  // namespace qorv::test
