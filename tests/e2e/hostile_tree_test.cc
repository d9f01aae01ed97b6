// Hostile source trees: links that loop or lead nowhere, a file too large
// for the disc format, a very deep tree, and names a user would not expect.
#include <gtest/gtest.h>

#include <filesystem>

#include <string>

#include "e2e/hostile_disc.h"

namespace qorv::test {
namespace {

void make_link(const std::string &target, const std::string &path) {
  ASSERT_TRUE(make_symlink(target, path));
}

TEST(HostileTree, LoopsAndDanglingLinksInTheDiscRoot) {
  if (!host_makes_symlinks()) GTEST_SKIP() << "no symbolic links here";
  HostileDisc disc;
  const std::string root = disc.at("root");
  disc.dir().write("root/a.bin", "1234");
  disc.dir().mkdir("root/sub");
  make_link(root + "/nowhere", root + "/dangling");
  make_link(".", root + "/loop");           // the root itself
  make_link("..", root + "/sub/up");        // back up to the root
  make_link("cycle", root + "/sub/cycle");  // a link to itself cannot be followed

  RunResult r = disc.run();
  // Sibling order A.BIN, DANGLING, LOOP, SUB; SUB's entries CYCLE, UP come
  // when the walk reaches SUB. Every bad entry is named, then the run stops.
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "  mode=ZEM\n\n"
                   "Error: Cannot find " + root + "/dangling.\n"
                   "Error: Cannot find " + root + "/loop.\n"
                   "Error: Cannot find " + root + "/sub/cycle.\n"
                   "Error: Cannot find " + root + "/sub/up.\n");
  EXPECT_FALSE(disc.wrote("disc.dlf"));
}

TEST(HostileTree, LoopsAndDanglingLinksInAPathListDirectory) {
  if (!host_makes_symlinks()) GTEST_SKIP() << "no symbolic links here";
  HostileDisc disc;
  const std::string extra = disc.at("extra");
  disc.dir().write("extra/e.bin", "1234");
  disc.dir().mkdir("extra/deep");
  make_link(extra + "/missing", extra + "/gone");
  make_link(".", extra + "/self");
  make_link("..", extra + "/deep/up");

  RunResult r = disc.run("[PathList]\nex = \"EXTRA\", \"" + extra + "\"\n");
  // The grafted folder is walked like the disc root, from the folder itself:
  // DEEP (and its UP), E.BIN, GONE, SELF.
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "  mode=ZEM\n\n"
                   "Error: Cannot find " + extra + "/deep/up.\n"
                   "Error: Cannot find " + extra + "/gone.\n"
                   "Error: Cannot find " + extra + "/self.\n");
  EXPECT_FALSE(disc.wrote("disc.dlf"));
}

TEST(HostileTree, PathListFolderThatIsABrokenOrLoopingLink) {
  if (!host_makes_symlinks()) GTEST_SKIP() << "no symbolic links here";
  HostileDisc disc;
  make_link(disc.at("nothing"), disc.at("dangle"));
  make_link(disc.at("selflink"), disc.at("selflink"));

  RunResult r = disc.run("[PathList]\n"
                         "d = \"D\", \"" + disc.at("dangle") + "\"\n"
                         "l = \"L\", \"" + disc.at("selflink") + "\"\n");
  // Checked before anything is grafted, each at its definition.
  const std::string over = disc.at("over.ddf");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "  mode=ZEM\n\n"
                   "Error:" + over + ", 2: Cannot find " + disc.at("dangle") + ".\n"
                   "Error:" + over + ", 3: Cannot find " + disc.at("selflink") + ".\n");
  EXPECT_FALSE(disc.wrote("disc.dlf"));
}

// "a/a/.../a" with `count` components, and the same with the backslashes
// the disc uses.
std::string nested(size_t count, char separator) {
  std::string path = "a";
  for (size_t i = 1; i < count; ++i) (path += separator) += 'a';
  return path;
}

TEST(HostileTree, PathListFolderNestedThousandsDeep) {
  HostileDisc disc;
  const std::string file = disc.dir().write("extra/e.bin", "1234");
  const std::string graft = "[PathList]\nex = \"";
  const std::string host = "\", \"" + disc.at("extra") + "\"\n";

  // 2048 components, 4095 bytes: as long as a host path may be. The FST
  // (2050 records, names of 2048 * 2 + 6 bytes padded to 4104) ends at
  // 0x1F120, so e.bin goes to 0x20000.
  RunResult r = disc.run(graft + nested(2048, '/') + host);
  EXPECT_EQ(r.status, 0) << r.err.substr(0, 500);
  EXPECT_EQ(r.err, kBaseMessages);
  EXPECT_EQ(disc.dlf(), disc.expected_dlf({{0x20000, file}}, 0x20004 + 32));

  // A line of a mebibyte: refused before any folder is made for it (each
  // folder would hold its whole path: hundreds of gigabytes).
  r = disc.run(graft + nested(1 << 19, '/') + host);
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "  mode=ZEM\n\nError:" + disc.at("over.ddf") + ", 2: Directory(" + nested(1 << 19, '\\') +
                       ") is invalid.\n");
}

TEST(HostileTree, SparseFileOfFiveGibibytes) {
  HostileDisc disc;
  const std::string huge = disc.dir().write("root/huge.bin", "");
  std::filesystem::resize_file(huge, uint64_t{5} << 30);

  // The user area is large enough (FSTuserEnd 8 GiB: it ends at 0x200000000
  // - 32 - 0x100 - 0x40000 = 0x1FFFBFEE0), so the file is placed, but the
  // FST holds sizes in 32 bits: the run stops before any output is written.
  RunResult r = disc.run("[BB2]\nFSTuserEnd = 0x200000000\n");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "  mode=ZEM\n\n  user area = 20000 - 1fffbfee0\n"
                   "Error: " + huge + " is too large for the disc format.\n");
  EXPECT_FALSE(disc.wrote("disc.dlf"));
  EXPECT_FALSE(disc.wrote("sys.bin"));
  EXPECT_FALSE(disc.wrote("cfg.bin"));
}

TEST(HostileTree, TwoHundredDirectoriesDeep) {
  HostileDisc disc;
  std::string relative = "root";
  for (int i = 0; i < 200; ++i) relative += "/d";
  const std::string file = disc.dir().write(relative + "/f.bin", "12345");

  RunResult r = disc.run();
  // FST: root, 200 folders and the file (202 records, 2424 bytes) and names
  // of 200 * 2 + 6 = 406 bytes, padded to 408: it ends at 0x18C10, so the
  // user area still starts at 0x20000. The file ends at 0x20005; the closing
  // line is that rounded up to 4, plus 32.
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, kBaseMessages);
  EXPECT_EQ(disc.state().fst_entries.size(), 202u);
  EXPECT_EQ(disc.dlf(), disc.expected_dlf({{0x20000, file}}, 0x20028));
}

TEST(HostileTree, NamesWithBlanksQuotesCommasOddBytesAndFullLength) {
  HostileDisc disc;
  // A disc root whose own path has a blank and a comma.
  const std::string root = disc.dir().mkdir("my disc, v2");
  const std::string long_name = std::string(251, 'n') + ".bin";  // 255 bytes
  ASSERT_EQ(long_name.size(), 255u);
  std::vector<std::string> names{"a b.bin", "c,omma.bin", "it's.bin", long_name};
  // A quote, and bytes of no character: names that only POSIX may hold.
  if (!kWindowsHost) names.insert(names.end(), {"q\"uote.bin", "\xFF\xFE.bin"});
  std::vector<std::pair<uint64_t, std::string>> items;
  for (const std::string &name : names) {
    write_file(host_path(root + "/" + name), "1234");
    items.emplace_back(0x20000 + 4 * items.size(), host_path(root + "/" + name));
  }

  RunResult r = disc.run("[Input]\nDvdRoot = \"" + root + "\"\n");
  // Sibling order by upper-cased bytes: "A B", "C,", "IT'", "NNN", "Q\"",
  // 0xFF. Four bytes each from 0x20000; the closing line is the end of the
  // last + 32. The DLF lists every host path as it is, without escaping.
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, kBaseMessages);
  EXPECT_EQ(disc.dlf(), disc.expected_dlf(items, 0x20000 + 4 * items.size() + 32));
}

}  // namespace
}  // namespace qorv::test
