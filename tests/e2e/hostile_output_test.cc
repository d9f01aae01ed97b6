// Output files that cannot be written, and outputs that would overwrite each
// other or an input. Outputs written by earlier stages stay; an output that
// clashes with another file stops the run before anything is created.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

#include <string>

#include "e2e/hostile_disc.h"

namespace qorv::test {
namespace {

// The DLF of the empty disc: no items; the closing line is the user area
// start 0x20000 (already a multiple of 4) plus 32.
const uint64_t kEmptyClosing = 0x20020;

TEST(HostileOutput, OutputInAMissingFolder) {
  HostileDisc disc;
  // The DLF first: nothing is written at all.
  const std::string dlf = disc.at("none/disc.dlf");
  RunResult r = disc.run("[Output]\nLayoutFileName = \"" + dlf + "\"\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, std::string(kBaseMessages) + "Error: Fail to create file. (" + dlf + ")\n");
  EXPECT_FALSE(disc.wrote("sys.bin"));

  // A folder is no file to write.
  r = disc.run("[Output]\nLayoutFileName = \"" + disc.at("out") + "\"\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, std::string(kBaseMessages) + "Error: Fail to create file. (" + disc.at("out") + ")\n");

  // The system file: the DLF before it stays, complete.
  const std::string system = disc.at("none/sys.bin");
  r = disc.run("[Output]\nSystemFileName = \"" + system + "\"\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, std::string(kBaseMessages) + "Error: Fail to create file. (" + system + ")\n");
  EXPECT_TRUE(disc.dlf().ends_with("0x0000000000020020,\"\"\r\n"));
  EXPECT_FALSE(disc.wrote("cfg.bin"));

  // The configuration file: the DLF and the system file stay.
  std::remove(disc.at("out/disc.dlf").c_str());
  const std::string config = disc.at("none/cfg.bin");
  r = disc.run("[Output]\nConfigFileName = \"" + config + "\"\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, std::string(kBaseMessages) + "Error: Fail to create file. (" + config + ")\n");
  EXPECT_TRUE(disc.wrote("disc.dlf"));
  EXPECT_TRUE(disc.wrote("sys.bin"));
}

TEST(HostileOutput, OutputThatNobodyMayWrite) {
  // A read-only kernel setting: not even root may open it for writing.
  const std::string attribute = "/proc/sys/kernel/osrelease";
  int fd = ::open(attribute.c_str(), O_WRONLY);
  if (fd >= 0) ::close(fd);
  if (fd >= 0 || !file_exists(attribute)) GTEST_SKIP() << "no read-only kernel setting here";
  HostileDisc disc;
  RunResult r = disc.run("[Output]\nLayoutFileName = \"" + attribute + "\"\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, std::string(kBaseMessages) + "Error: Fail to create file. (" + attribute + ")\n");
  EXPECT_FALSE(disc.wrote("sys.bin"));
}

TEST(HostileOutput, OutputWithoutWritePermission) {
  // Root writes such a file anyway, so this only runs for other users.
  if (writes_read_only_files()) GTEST_SKIP() << "root may write read-only files";
  HostileDisc disc;
  const std::string locked = disc.dir().write("out/locked.bin", "keep");
  std::filesystem::permissions(locked, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                          std::filesystem::perms::others_read);
  RunResult r = disc.run("[Output]\nSystemFileName = \"" + locked + "\"\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, std::string(kBaseMessages) + "Error: Fail to create file. (" + locked + ")\n");
  EXPECT_EQ(read_file(locked), "keep");
}

TEST(HostileOutput, OutputOnAFullDevice) {
  HostileDisc disc;
  if (!file_exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  // Opening works, every write fails: reported once, the run stops there.
  RunResult r = disc.run("[Output]\nLayoutFileName = \"/dev/full\"\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, std::string(kBaseMessages) + "Error: File write error.(/dev/full)\n");
  EXPECT_FALSE(disc.wrote("sys.bin"));

  r = disc.run("[Output]\nSystemFileName = \"/dev/full\"\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, std::string(kBaseMessages) + "Error: File write error.(/dev/full)\n");
  EXPECT_TRUE(disc.wrote("disc.dlf"));
  EXPECT_FALSE(disc.wrote("cfg.bin"));

  r = disc.run("[Output]\nConfigFileName = \"/dev/full\"\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, std::string(kBaseMessages) + "Error: File write error.(/dev/full)\n");
  EXPECT_TRUE(disc.wrote("sys.bin"));
}

TEST(HostileOutput, OnePathForTwoOutputs) {
  HostileDisc disc;
  const std::string dlf = disc.at("out/disc.dlf");

  // The same text.
  RunResult r = disc.run("[Output]\nSystemFileName = \"" + dlf + "\"\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, std::string(kBaseMessages) + "Error: " + dlf + " is used for more than one output file.\n");
  EXPECT_FALSE(disc.wrote("disc.dlf"));

  // Other spellings of it: "." and ".." and doubled "/" resolved as text, and
  // backslashes, which become "/" before anything else (the message shows
  // that form). All three outputs are one file: the second and the third
  // are each reported once.
  const std::string dotted = disc.at("out/../out//./disc.dlf");
  std::string backslashed = dlf;
  for (char &c : backslashed)
    if (c == '/') c = '\\';
  r = disc.run("[Output]\nSystemFileName = \"" + dotted + "\"\nConfigFileName = \"" + backslashed + "\"\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, std::string(kBaseMessages) + "Error: " + dotted + " is used for more than one output file.\n" +
                       "Error: " + dlf + " is used for more than one output file.\n");
  EXPECT_FALSE(disc.wrote("disc.dlf"));

  // A link to an existing output is that output: an earlier system file is
  // left as it was.
  write_file(disc.at("out/sys.bin"), "earlier");
  const std::string alias = disc.at("out/alias.bin");
  if (!host_makes_symlinks()) return;  // Wine makes no symbolic links
  ASSERT_TRUE(make_symlink(disc.at("out/sys.bin"), alias));
  r = disc.run("[Output]\nConfigFileName = \"" + alias + "\"\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, std::string(kBaseMessages) + "Error: " + alias + " is used for more than one output file.\n");
  EXPECT_EQ(read_file(disc.at("out/sys.bin")), "earlier");
}

TEST(HostileOutput, OutputThatIsAnInput) {
  HostileDisc disc;
  const std::string bi2 = disc.at("sys/bi2.bin");

  // The BI2 template as the system file, the base description as the DLF.
  RunResult r = disc.run("[Output]\nSystemFileName = \"" + bi2 + "\"\nLayoutFileName = \"" + disc.base() + "\"\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, std::string(kBaseMessages) + "Error: " + disc.base() + " is both an input and an output file.\n" +
                       "Error: " + bi2 + " is both an input and an output file.\n");
  EXPECT_EQ(read_file(bi2), std::string(8192, '\0'));
  EXPECT_TRUE(read_file(disc.base()).starts_with("[Input]\n"));

  // A hard link to the ZEM system file as the configuration file; a second
  // output clashing with the first is reported as well.
  const std::string twin = disc.at("out/zemsys-link.bin");
  ASSERT_TRUE(make_hard_link(disc.at("sys/zemsys.bin"), twin));
  r = disc.run("[Output]\nConfigFileName = \"" + twin + "\"\nSystemFileName = \"" + disc.at("out/disc.dlf") + "\"\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, std::string(kBaseMessages) + "Error: " + disc.at("out/disc.dlf") +
                       " is used for more than one output file.\n" + "Error: " + twin +
                       " is both an input and an output file.\n");
  EXPECT_EQ(read_file(disc.at("sys/zemsys.bin")), std::string(0x100, 'Z'));

  // HT mode neither reads the ZEM system file nor writes a configuration
  // file, so the two names may meet there.
  r = disc.run("[Output]\nMode = HT\nConfigFileName = \"" + disc.at("sys/zemsys.bin") + "\"\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read_file(disc.at("sys/zemsys.bin")), std::string(0x100, 'Z'));
}

}  // namespace
}  // namespace qorv::test
