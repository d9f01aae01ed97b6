// Hostile description files: huge ones, zero bytes, binary data, numbers
// beyond 64 bits, patterns of a thousand stars, a user area that ends before
// it starts. Each gives its message at its line, or works, and never crashes.
#include <gtest/gtest.h>

#include <string>

#include "e2e/hostile_disc.h"
#include "support/hex_bytes.h"

namespace qorv::test {
namespace {

const std::string kBeyond = "99999999999999999999";  // > 2^64

TEST(HostileDescription, AMillionLines) {
  HostileDisc disc;
  // Line 1 the header, lines 2 to 999,999 comments and blank lines, line
  // 1,000,000 the one definition.
  std::string text = "[DiskID]\n";
  for (int line = 2; line < 1000000; ++line) text += line % 2 ? "; filler\n" : "\n";
  const std::string good = disc.dir().write("million.ddf", text + "DiskInfo = \"last line\"\n");
  RunResult r = disc.run_with_file(good);
  EXPECT_EQ(r.status, 0) << r.err.substr(0, 500);
  EXPECT_EQ(r.err, kBaseMessages);
  // The disc info field (64 bytes at 0x20) holds the text from the last line.
  EXPECT_EQ(read_file(disc.at("out/sys.bin")).substr(0x20, 10), std::string("last line\0", 10));

  const std::string bad = disc.dir().write("million-bad.ddf", text + "DiskInfo =");
  r = disc.run_with_file(bad);
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "Error:" + bad + ", 1000000: syntax error\n");
}

TEST(HostileDescription, OneLineOfAMebibyte) {
  HostileDisc disc;
  const std::string info(1 << 20, 'x');
  // ZEM mode keeps the first 64 bytes of DiskInfo; the hash and encryption
  // flags follow (1: neither key given).
  RunResult r = disc.run("[DiskID]\nDiskInfo = \"" + info + "\"\n");
  EXPECT_EQ(r.status, 0) << r.err.substr(0, 500);
  EXPECT_EQ(r.err, kBaseMessages);
  EXPECT_EQ(read_file(disc.at("out/sys.bin")).substr(0x20, 66), std::string(64, 'x') + "\x01\x01");

  // The same line without its closing quote (and without a line end).
  r = disc.run("[DiskID]\nDiskInfo = \"" + info);
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "Error:" + disc.at("over.ddf") + ", 2: string must be enclosed within \"\n");
}

TEST(HostileDescription, ZeroBytes) {
  HostileDisc disc;
  const std::string over = disc.at("over.ddf");
  // Inside a text a zero byte ends the line for the text: no name with a
  // zero byte in it is ever stored (no host call could open it as written).
  RunResult r = disc.run(std::string("[Input]\nDvdRoot = \"") + disc.at("root") + std::string("\0/x\"\n", 5));
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "Error:" + over + ", 2: string must be enclosed within \"\n");

  // Outside a text it is no character of the language.
  r = disc.run("[DiskID]\nDiskNumber = 1" + std::string(1, '\0') + "\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "Error:" + over + ", 2: syntax error\n");
}

TEST(HostileDescription, BinaryFile) {
  HostileDisc disc;
  // 64 KiB of every byte value in turn: the first line is the bytes 0 to 9,
  // and byte 0 is no token. The rest of the file is not read.
  std::string bytes;
  for (int i = 0; i < 65536; ++i) bytes += static_cast<char>(i & 0xFF);
  const std::string binary = disc.dir().write("binary.ddf", bytes);
  RunResult r = disc.run_with_file(binary);
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "Error:" + binary + ", 1: syntax error\n");
}

// Numbers beyond 64 bits saturate at the signed 64-bit limits; what each key
// then does follows from the saturated value.
TEST(HostileDescription, NumbersBeyondSixtyFourBits) {
  HostileDisc disc;
  disc.dir().write("root/a.bin", "1234");
  disc.dir().write("root/b.bin", "5678");
  const std::string over = disc.at("over.ddf");

  // [LbaOrigin] LBAs: 2^63 - 1 (decimal or hexadecimal) and -2^63, far
  // outside the user area. A "+" chain starts at its LBA, a "-" chain ends
  // there; the 4-byte file's other end saturates too.
  RunResult r = disc.run("[LbaOrigin]\n" + kBeyond + " = \"a.bin\", +\n-" + kBeyond + " = \"b.bin\", -\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "  mode=ZEM\n\n"
                   "Error:" + over + ", 2: LBA(7FFFFFFFFFFFFFFF-7FFFFFFFFFFFFFFF) is out of FST range.\n"
                   "Error:" + over + ", 3: LBA(8000000000000000-8000000000000000) is out of FST range.\n");
  r = disc.run("[LbaOrigin]\n0x10000000000000000 = \"a.bin\", +\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err,
            "  mode=ZEM\n\nError:" + over + ", 2: LBA(7FFFFFFFFFFFFFFF-7FFFFFFFFFFFFFFF) is out of FST range.\n");

  // A [Layout] value: out of -32768..32767.
  r = disc.run("[Layout]\n0 = \"a.bin\", " + kBeyond + "\n1 = \"b.bin\", -" + kBeyond + "\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "Error:" + over + ", 2: <layout value> is out of range. (-32768 <= value <= 32767)\n"
                   "Error:" + over + ", 3: <layout value> is out of range. (-32768 <= value <= 32767)\n");

  // An [LbaAlign] priority keeps the low 32 bits of the number: 2^63 - 1
  // becomes -1 and -(2^63 - 1) becomes 1, so the last line's alignment 32
  // wins and b.bin follows a.bin at 0x20020.
  r = disc.run("[LbaAlign]\n" + kBeyond + " = \"*\", 8\n0 = \"*\", 16\n-" + kBeyond + " = \"*\", 32\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, kBaseMessages);
  EXPECT_EQ(disc.dlf(), disc.expected_dlf({{0x20000, disc.at("root/a.bin")}, {0x20020, disc.at("root/b.bin")}},
                                          0x20024 + 32));

  // FSTuserEnd far below zero: the user area ends at -2^63 (printed in two's
  // complement), nothing fits.
  r = disc.run("[BB2]\nFSTuserEnd = -" + kBeyond + "\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "  mode=ZEM\n\n  user area = 20000 - 8000000000000000\n"
                   "Error: Disk image size is over the disk capacity.\n");

  // Disc ID and BI2 numbers: BCD bytes take the last two decimal digits
  // (2^63 - 1 ends in 07; -2^63 read unsigned is 2^63, ending in 08), byte
  // fields the low byte (0xFF of 2^63 - 1, 0x00 of -2^63).
  r = disc.run("[DiskID]\nDiskNumber = " + kBeyond + "\nGameVersion = -" + kBeyond + "\nStreaming = " + kBeyond +
               "\nStreamingBufSize = -" + kBeyond + "\nTotalDisk = " + kBeyond + "\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, kBaseMessages);
  const std::string system = read_file(disc.at("out/sys.bin"));
  EXPECT_EQ(system.substr(6, 4), std::string("\x07\x08\xFF\x00", 4));
  EXPECT_EQ(system.substr(0x440 + 0x1C, 4), be32(0x07));

  // CountryCode and the older "24 = n, L" form refuse what they cannot be.
  r = disc.run("[BI2]\nCountryCode = " + kBeyond + "\n" + kBeyond + " = 1, L\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "Error:" + over + ", 2: Invalid definition. (Define 0|1|2 in CountryCode)\n"
                   "Error:" + over + ", 3: syntax error\n");
}

TEST(HostileDescription, PatternsOfAThousandStars) {
  HostileDisc disc;
  disc.dir().write("root/a.bin", "1234");
  disc.dir().write("root/b.bin", "5678");
  disc.dir().write("root/x.tmp", "gone");
  const std::string stars(1000, '*');
  // A star takes one character or more, or the empty rest at the end of the
  // path: 1000 stars match every path, "x" and 1000 stars every path that
  // starts with x. So every file is aligned to 0x100 and x.tmp is left off.
  RunResult r = disc.run("[LbaAlign]\n0 = \"" + stars + "\", 0x100\n[LayoutOff]\n\"x" + stars + "\"\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, kBaseMessages);
  EXPECT_EQ(disc.dlf(), disc.expected_dlf({{0x20000, disc.at("root/a.bin")}, {0x20100, disc.at("root/b.bin")}},
                                          0x20104 + 32));
}

TEST(HostileDescription, UserAreaEndBelowItsStart) {
  HostileDisc disc;
  // FSTuserEnd 0x10000: the user area ends at 0x10000 - 32 - 0x100 - 0x40000
  // = -0x30120, below its start 0x20000. Even an empty tree does not fit.
  RunResult r = disc.run("[BB2]\nFSTuserEnd = 0x10000\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "  mode=ZEM\n\n  user area = 20000 - fffffffffffcfee0\n"
                   "Error: Disk image size is over the disk capacity.\n");
  EXPECT_FALSE(disc.wrote("disc.dlf"));

  // HT mode keeps only the 32-byte margin: 0x10000 - 32 = 0xFFE0.
  disc.dir().write("root/a.bin", "1234");
  r = disc.run("[Output]\nMode = HT\n[BB2]\nFSTuserEnd = 0x10000\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "  mode=HT\n\n  user area = 20000 - ffe0\n"
                   "Error: Disk image size is over the disk capacity.\n");
  EXPECT_FALSE(disc.wrote("disc.dlf"));
}

}  // namespace
}  // namespace qorv::test
