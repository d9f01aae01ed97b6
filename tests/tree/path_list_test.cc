// [PathList]: checks, merging across description files, holder directories
// and grafts, and their place in the FST.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/run_state.h"
#include "tree/fst_builder.h"
#include "tree/path_list_mapping.h"
#include "tree/source_tree_scan.h"
#include "support/table_builder.h"
#include "support/test_support.h"

namespace qorv {
namespace {

struct Disc {
  test::TempDir dir;
  RunState run;
  std::ostringstream err;

  Disc() {
    run.diag_stream = &err;
    dir.mkdir("root");
    test::set_text(run, key::DvdRoot, dir.at("root"));
  }

  bool map() { return scan_disc_root(run) && map_path_lists(run); }
};

TEST(PathList, NoItemsGraftNothing) {
  Disc d;
  d.dir.write("root/a", "");
  EXPECT_TRUE(d.map());
  EXPECT_TRUE(d.run.path_list_trees.empty());
  EXPECT_EQ(d.err.str(), "");
}

TEST(PathList, OneComponentIsItselfTheTopDirectory) {
  Disc d;
  d.dir.write("extra/x.bin", "xx");
  test::add_path_list(d.run, 3, "E", "EXTRA", d.dir.at("extra"));
  ASSERT_TRUE(d.map());
  ASSERT_EQ(d.run.path_list_trees.size(), 1u);
  const FileEntry &top = d.run.path_list_trees[0];
  EXPECT_EQ(top.kind, FstKind::Directory);
  EXPECT_EQ(top.name(), "EXTRA");
  EXPECT_EQ(top.disc_path, "EXTRA");
  EXPECT_EQ(top.host_path(), d.dir.at("extra"));
  ASSERT_EQ(top.children.size(), 1u);
  EXPECT_EQ(top.children[0].disc_path, "EXTRA\\x.bin");
  EXPECT_EQ(top.children[0].host_path(), d.dir.at("extra/x.bin"));
}

TEST(PathList, DeeperDirectoriesGetHolders) {
  Disc d;
  d.dir.write("extra/f", "");
  // The host directory written with a backslash is opened with "/".
  test::add_path_list(d.run, 3, "E", "a\\b\\c", d.dir.path() + "\\extra");
  ASSERT_TRUE(d.map());
  ASSERT_EQ(d.run.path_list_trees.size(), 1u);
  const FileEntry &a = d.run.path_list_trees[0];
  EXPECT_EQ(a.name(), "a");
  EXPECT_EQ(a.disc_path, "a");
  EXPECT_EQ(a.host_path(), "");  // a holder has no host directory
  ASSERT_EQ(a.children.size(), 1u);
  const FileEntry &b = a.children[0];
  EXPECT_EQ(b.name(), "b");
  EXPECT_EQ(b.disc_path, "a\\b");
  EXPECT_EQ(b.host_path(), "");
  ASSERT_EQ(b.children.size(), 1u);
  const FileEntry &c = b.children[0];
  EXPECT_EQ(c.name(), "c");
  EXPECT_EQ(c.disc_path, "a\\b\\c");
  EXPECT_EQ(c.host_path(), d.dir.at("extra"));
  ASSERT_EQ(c.children.size(), 1u);
  EXPECT_EQ(c.children[0].disc_path, "a\\b\\c\\f");
}

TEST(PathList, ItemsSharingAFirstComponentStaySeparate) {
  Disc d;
  d.dir.write("h1/one", "");
  d.dir.write("h2/two", "");
  test::add_path_list(d.run, 1, "A", "x\\a", d.dir.at("h1"));
  test::add_path_list(d.run, 2, "B", "x\\b", d.dir.at("h2"));
  ASSERT_TRUE(d.map());
  ASSERT_EQ(d.run.path_list_trees.size(), 2u);
  EXPECT_EQ(d.run.path_list_trees[0].name(), "x");
  EXPECT_EQ(d.run.path_list_trees[0].children.at(0).disc_path, "x\\a");
  EXPECT_EQ(d.run.path_list_trees[1].name(), "x");
  EXPECT_EQ(d.run.path_list_trees[1].children.at(0).disc_path, "x\\b");
}

TEST(PathList, ChecksReportEveryBadItemAtItsLine) {
  Disc d;
  d.dir.write("root/Movie", "");
  d.dir.mkdir("ok");
  std::string file = d.dir.write("plain.txt", "");
  test::add_path_list(d.run, 4, "A", "X", d.dir.at("missing"));
  test::add_path_list(d.run, 5, "B", "Y", file);
  test::add_path_list(d.run, 6, "C", "Movie\\sub", d.dir.at("ok"));  // same name as a root entry
  test::add_path_list(d.run, 7, "D", "movie", d.dir.at("ok"));       // other case: fine
  test::add_path_list(d.run, 8, "E", "\\lead", d.dir.at("ok"));
  test::add_path_list(d.run, 9, "F", "trail\\", d.dir.at("ok"));
  test::add_path_list(d.run, 10, "G", "a\\\\b", d.dir.at("ok"));
  test::add_path_list(d.run, 11, "H", "", d.dir.at("missing"));  // both problems, in this order
  EXPECT_FALSE(d.map());
  EXPECT_EQ(d.err.str(),
            "Error:file1.ddf, 4: Cannot find " + d.dir.at("missing") + ".\n" +
            "Error:file1.ddf, 5: " + file + " is not directory.\n" +
            "Error:file1.ddf, 6: Directory(Movie) is dupricated.\n" +
            "Error:file1.ddf, 8: Directory(\\lead) is invalid.\n" +
            "Error:file1.ddf, 9: Directory(trail\\) is invalid.\n" +
            "Error:file1.ddf, 10: Directory(a\\\\b) is invalid.\n" +
            "Error:file1.ddf, 11: Cannot find " + d.dir.at("missing") + ".\n" +
            "Error:file1.ddf, 11: Directory() is invalid.\n");
  EXPECT_TRUE(d.run.path_list_trees.empty());  // nothing grafted
}

TEST(PathList, LaterFilesReplaceItemsOfTheSameName) {
  Disc d;
  d.dir.write("h1/one", "");
  d.dir.write("h2/two", "");
  d.dir.write("h3/three", "");
  test::add_path_list(d.run, 3, "A", "FIRST", d.dir.at("h1"), 0);
  test::add_path_list(d.run, 4, "B", "SECOND", d.dir.at("h2"), 0);
  test::add_path_list(d.run, 7, "A", "REPLACED", d.dir.at("h3"), 1);
  ASSERT_TRUE(d.map());
  EXPECT_EQ(d.err.str(), "Warning:file2.ddf, 7: A is redefined.\n");
  ASSERT_EQ(d.run.path_list_trees.size(), 2u);
  // The replacement takes the place of file 1's item.
  EXPECT_EQ(d.run.path_list_trees[0].disc_path, "REPLACED");
  EXPECT_EQ(d.run.path_list_trees[0].children.at(0).name(), "three");
  EXPECT_EQ(d.run.path_list_trees[1].disc_path, "SECOND");
}

TEST(PathList, ReplacedItemsAreStillChecked) {
  Disc d;
  d.dir.mkdir("h2");
  test::add_path_list(d.run, 3, "A", "X", d.dir.at("gone"), 0);
  test::add_path_list(d.run, 5, "A", "X", d.dir.at("h2"), 1);
  EXPECT_FALSE(d.map());
  EXPECT_EQ(d.err.str(), "Error:file1.ddf, 3: Cannot find " + d.dir.at("gone") + ".\n");
}

TEST(PathList, RepeatedNamesWarnAlsoWithoutItemsInTheFirstFile) {
  Disc d;
  d.dir.mkdir("h");
  test::add_path_list(d.run, 2, "A", "X", d.dir.at("h"), 1);
  test::add_path_list(d.run, 6, "A", "Y", d.dir.at("h"), 2);
  ASSERT_TRUE(d.map());
  EXPECT_EQ(d.err.str(), "Warning:file3.ddf, 6: A is redefined.\n");
  ASSERT_EQ(d.run.path_list_trees.size(), 1u);
  EXPECT_EQ(d.run.path_list_trees[0].disc_path, "Y");
}

// A grafted folder is listed while it is checked; its subdirectories are
// then opened from it again, and links back to it are still loops.
TEST(PathList, GraftedFoldersAreWalkedWholeAndLoopsFound) {
  Disc d;
  d.dir.write("g/a.bin", "a");
  d.dir.write("g/sub/b.bin", "bb");
  const bool links = test::host_makes_symlinks();
  if (links) {
    ASSERT_TRUE(test::make_symlink("..", d.dir.at("g/sub/up")));
    ASSERT_TRUE(test::make_symlink(".", d.dir.at("g/self")));
  }
  d.dir.mkdir("empty");
  test::add_path_list(d.run, 3, "E1", "EMPTY1", d.dir.at("empty"));
  test::add_path_list(d.run, 4, "G", "G", d.dir.at("g"));
  test::add_path_list(d.run, 5, "E2", "EMPTY2", d.dir.at("empty"));
  EXPECT_EQ(d.map(), !links);
  EXPECT_EQ(d.err.str(), !links ? "" : "Error: Cannot find " + d.dir.at("g/self") + ".\nError: Cannot find " +
                                           d.dir.at("g/sub/up") + ".\n");
  ASSERT_EQ(d.run.path_list_trees.size(), 3u);
  EXPECT_TRUE(d.run.path_list_trees[0].children.empty());
  EXPECT_TRUE(d.run.path_list_trees[2].children.empty());
  const std::vector<FileEntry> &g = d.run.path_list_trees[1].children;
  ASSERT_EQ(g.size(), 2u);
  EXPECT_EQ(g[0].host_path(), d.dir.at("g/a.bin"));
  EXPECT_EQ(g[0].file_size, 1u);
  EXPECT_EQ(g[1].disc_path, "G\\sub");
  ASSERT_EQ(g[1].children.size(), 1u);
  EXPECT_EQ(g[1].children[0].host_path(), d.dir.at("g/sub/b.bin"));
}

TEST(PathList, GraftedDirectoriesFollowTheRootTreeInTheFst) {
  Disc d;
  // Root tree: root, D, D\f, g = 4 entries; then P (index 4) and P\p.
  d.dir.write("root/D/f", "");
  d.dir.write("root/g", "");
  d.dir.write("host/p", "");
  test::add_path_list(d.run, 3, "P", "P", d.dir.at("host"));
  ASSERT_TRUE(build_fst(d.run));
  ASSERT_EQ(d.run.fst_entries.size(), 6u);
  const FileEntry &p = *d.run.fst_entries[4];
  EXPECT_EQ(p.disc_path, "P");
  EXPECT_EQ(p.position, 0u);  // parent: the root
  EXPECT_EQ(p.extent, 6u);
  EXPECT_EQ(d.run.fst_entries[5]->disc_path, "P\\p");
  EXPECT_EQ(d.run.root_entry.extent, 6u);  // the whole FST, grafts included
}

}  // namespace
}  // namespace qorv
