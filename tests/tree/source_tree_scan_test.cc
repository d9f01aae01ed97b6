// The scan of DvdRoot: entries, sibling order, links and case clashes.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/run_state.h"
#include "tree/source_tree_scan.h"
#include "support/settings_builder.h"
#include "support/test_support.h"

namespace qorv {
namespace {

namespace fs = std::filesystem;

struct Scan {
  test::TempDir dir;
  RunState run;
  std::ostringstream err;

  Scan() { run.diag_stream = &err; }

  bool scan_root(const std::string &dvd_root) {
    test::set_text(run, key::DvdRoot, dvd_root);
    return scan_disc_root(run);
  }
};

std::vector<std::string> names(const std::vector<FileEntry> &children) {
  std::vector<std::string> out;
  for (const FileEntry &e : children) out.push_back(std::string(e.name()));
  return out;
}

TEST(SourceTreeScan, SiblingsSortByUpperCasedName) {
  Scan s;
  for (const char *name : {"readme.txt", "Data", "a", "B", "_x", "z"}) s.dir.write(std::string("root/") + name, "");
  ASSERT_TRUE(s.scan_root(s.dir.at("root")));
  // Compared as A, B, DATA, README.TXT, Z (0x5A) and _X (0x5F).
  EXPECT_EQ(names(s.run.root_entry.children),
            (std::vector<std::string>{"a", "B", "Data", "readme.txt", "z", "_x"}));
  EXPECT_EQ(s.err.str(), "");
}

TEST(SourceTreeScan, BytesAboveAsciiSortAfterLettersAndKeepTheirCase) {
  Scan s;
  // "\xc3\xa9t\xc3\xa9" (UTF-8 for an accented word) starts with 0xC3, above every
  // ASCII byte; its lower-case letters are upper-cased only for the order.
  for (const char *name : {"\xc3\xa9t\xc3\xa9", "zeta", "Alpha", "b\xc3\xa9", "C"}) s.dir.write(std::string("root/") + name, "");
  ASSERT_TRUE(s.scan_root(s.dir.at("root")));
  EXPECT_EQ(names(s.run.root_entry.children),
            (std::vector<std::string>{"Alpha", "b\xc3\xa9", "C", "zeta", "\xc3\xa9t\xc3\xa9"}));
  EXPECT_EQ(s.run.root_entry.children[3].disc_path, "zeta");
}

TEST(SourceTreeScan, LongNamesSharingTheirStartSortByTheirWholeName) {
  // Names that agree in their first eight (or more) bytes, a name that is
  // the start of another, and a byte above ASCII late in the name.
  Scan s;
  for (const char *name : {"sound_effects_b.bin", "SOUND_EFFECTS_A.bin", "sound_effects", "sound_effects_\xb1",
                           "sound_effectsZ", "sound_eff", "sound_effects_a.bi"})
    s.dir.write(std::string("root/") + name, "");
  ASSERT_TRUE(s.scan_root(s.dir.at("root")));
  EXPECT_EQ(names(s.run.root_entry.children),
            (std::vector<std::string>{"sound_eff", "sound_effects", "sound_effectsZ", "sound_effects_a.bi",
                                      "SOUND_EFFECTS_A.bin", "sound_effects_b.bin", "sound_effects_\xb1"}));
}

TEST(SourceTreeScan, EntriesCarryPathsKindsAndSizes) {
  Scan s;
  s.dir.write("root/DATA/sub/deep.bin", "1234567");
  s.dir.write("root/DATA/empty.bin", "");
  ASSERT_TRUE(s.scan_root(s.dir.at("root")));

  const FileEntry &root = s.run.root_entry;
  EXPECT_EQ(root.kind, FstKind::Directory);
  EXPECT_EQ(root.host_path(), s.dir.at("root"));
  ASSERT_EQ(root.children.size(), 1u);
  const FileEntry &data = root.children[0];
  EXPECT_EQ(data.kind, FstKind::Directory);
  EXPECT_EQ(data.disc_path, "DATA");
  EXPECT_EQ(data.host_path(), s.dir.at("root/DATA"));
  ASSERT_EQ(names(data.children), (std::vector<std::string>{"empty.bin", "sub"}));

  const FileEntry &empty = data.children[0];
  EXPECT_EQ(empty.kind, FstKind::File);
  EXPECT_EQ(empty.file_size, 0u);
  EXPECT_EQ(empty.extent, 4u);  // an empty file still reserves a word
  EXPECT_EQ(empty.disc_path, "DATA\\empty.bin");

  const FileEntry &deep = data.children[1].children.at(0);
  EXPECT_EQ(deep.disc_path, "DATA\\sub\\deep.bin");
  EXPECT_EQ(deep.host_path(), s.dir.at("root/DATA/sub/deep.bin"));
  EXPECT_EQ(deep.name(), "deep.bin");
  EXPECT_EQ(deep.file_size, 7u);
  EXPECT_EQ(deep.extent, 7u);
}

TEST(SourceTreeScan, EmptyRootSucceeds) {
  Scan s;
  s.dir.mkdir("root");
  EXPECT_TRUE(s.scan_root(s.dir.at("root")));
  EXPECT_TRUE(s.run.root_entry.children.empty());
}

TEST(SourceTreeScan, MissingRootIsReportedWithoutLocation) {
  Scan s;
  EXPECT_FALSE(s.scan_root(s.dir.at("nothing")));
  EXPECT_EQ(s.err.str(), "Error: Cannot find " + s.dir.at("nothing") + ".\n");
  EXPECT_EQ(s.run.error_count, 1);
}

TEST(SourceTreeScan, RootWrittenWithBackslashesAndMadeAbsolute) {
  Scan s;
  s.dir.write("root/a", "");
  // Option -a resolves "sub/.." as text; the backslash becomes "/" first.
  s.run.absolute_root = true;
  ASSERT_TRUE(s.scan_root(s.dir.path() + "/sub/..\\root"));
  EXPECT_EQ(s.run.root_entry.host_path(), s.dir.at("root"));
  EXPECT_EQ(s.run.root_entry.children.at(0).host_path(), s.dir.at("root/a"));
}

TEST(SourceTreeScan, DanglingLinksAndLoopsAreReportedInSiblingOrder) {
  Scan s;
  s.dir.write("root/a.bin", "aa");
  s.dir.write("root/c/real.bin", "r");
  if (!test::host_makes_symlinks()) GTEST_SKIP() << "no symbolic links here";
  ASSERT_TRUE(test::make_symlink("gone", s.dir.at("root/b")));
  ASSERT_TRUE(test::make_symlink("gone", s.dir.at("root/c/d")));
  ASSERT_TRUE(test::make_symlink("..", s.dir.at("root/c/up")));  // back to root: a loop
  ASSERT_TRUE(test::make_symlink("gone", s.dir.at("root/e")));
  s.dir.write("shared/s.bin", "s");
  ASSERT_TRUE(test::make_symlink("../shared", s.dir.at("root/f")));  // a directory link that is no loop
  EXPECT_FALSE(s.scan_root(s.dir.at("root")));

  // Pre-order: b, then inside c (d, up), then e.
  EXPECT_EQ(s.err.str(), "Error: Cannot find " + s.dir.at("root/b") + ".\n" +
                             "Error: Cannot find " + s.dir.at("root/c/d") + ".\n" +
                             "Error: Cannot find " + s.dir.at("root/c/up") + ".\n" +
                             "Error: Cannot find " + s.dir.at("root/e") + ".\n");
  // The walk went on: the good entries have their places, the bad ones none.
  const FileEntry &root = s.run.root_entry;
  EXPECT_EQ(names(root.children), (std::vector<std::string>{"a.bin", "c", "f"}));
  EXPECT_EQ(names(root.children[1].children), (std::vector<std::string>{"real.bin"}));
  EXPECT_EQ(root.children[2].kind, FstKind::Directory);
  EXPECT_EQ(root.children[2].children.at(0).disc_path, "f\\s.bin");
}

TEST(SourceTreeScan, NamesEqualButForCaseAreRefused) {
  if (test::kWindowsHost) GTEST_SKIP() << "one folder cannot hold such names on Windows";
  Scan s;
  for (const char *name : {"readme", "README", "Readme", "other"}) s.dir.write(std::string("root/") + name, "");
  EXPECT_FALSE(s.scan_root(s.dir.at("root")));
  // Ties are ordered by their own bytes: README (0x45...), Readme (0x65...),
  // readme; each is compared with README, the one that got a place.
  EXPECT_EQ(s.err.str(),
            "Error: " + s.dir.at("root/README") + " and " + s.dir.at("root/Readme") + " differ only in letter case.\n" +
            "Error: " + s.dir.at("root/README") + " and " + s.dir.at("root/readme") + " differ only in letter case.\n");
  EXPECT_EQ(s.run.error_count, 2);
  EXPECT_EQ(names(s.run.root_entry.children), (std::vector<std::string>{"other", "README"}));
}

}  // namespace
}  // namespace qorv
