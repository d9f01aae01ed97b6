// Listing host directories, looking up host paths, and host path texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "host/directory_listing.h"
#include "host/host_path.h"
#include "support/test_support.h"

namespace qorv {
namespace {

namespace fs = std::filesystem;

const HostItem *item_named(const std::vector<HostItem> &items, const std::string &name) {
  auto it = std::find_if(items.begin(), items.end(), [&](const HostItem &i) { return i.name == name; });
  return it == items.end() ? nullptr : &*it;
}

TEST(DirectoryListing, YieldsEveryEntryButDotAndDotDot) {
  test::TempDir dir;
  dir.write("d/a.bin", "12345");
  dir.write("d/.hidden", "xy");
  dir.write("d/empty", "");
  dir.mkdir("d/sub");
  if (!test::host_makes_symlinks()) GTEST_SKIP() << "no symbolic links here";
  ASSERT_TRUE(test::make_symlink("a.bin", dir.at("d/link")));  // followed: the target's size
  ASSERT_TRUE(test::make_symlink("nowhere", dir.at("d/dead"))); // dangling

  HostDirectory d;
  ASSERT_EQ(open_directory(dir.at("d"), d), OpenStatus::Opened);
  HostListing listing;
  ASSERT_EQ(list_directory(d, listing), ListStatus::Listed);
  const std::vector<HostItem> &items = listing.items;
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(item_named(items, "a.bin")->size, 5u);
  EXPECT_EQ(item_named(items, ".hidden")->size, 2u);
  EXPECT_EQ(item_named(items, "empty")->kind, HostItemKind::File);
  EXPECT_EQ(item_named(items, "empty")->size, 0u);
  EXPECT_EQ(item_named(items, "sub")->kind, HostItemKind::Directory);
  EXPECT_EQ(item_named(items, "link")->kind, HostItemKind::File);
  EXPECT_EQ(item_named(items, "link")->size, 5u);
  EXPECT_EQ(item_named(items, "link")->id, item_named(items, "a.bin")->id);
  EXPECT_EQ(item_named(items, "dead")->kind, HostItemKind::Missing);
}

TEST(DirectoryListing, MissingDirectoryOrFileCannotBeListed) {
  test::TempDir dir;
  HostDirectory d;
  EXPECT_EQ(open_directory(dir.at("missing"), d), OpenStatus::CannotOpen);
  EXPECT_EQ(open_directory(dir.write("file", "x"), d), OpenStatus::CannotOpen);
  EXPECT_FALSE(d.is_open());
}

TEST(DirectoryListing, LooksUpOnePath) {
  test::TempDir dir;
  std::string file = dir.write("f.bin", std::string(300, 'x'));
  if (!test::host_makes_symlinks()) GTEST_SKIP() << "no symbolic links here";
  ASSERT_TRUE(test::make_symlink(dir.path(), dir.at("up")));

  HostPathInfo f = look_up_path(file);
  EXPECT_TRUE(f.exists);
  EXPECT_FALSE(f.is_directory);
  EXPECT_EQ(f.size, 300u);

  HostPathInfo d = look_up_path(dir.at("up"));  // a link to a directory is the directory
  EXPECT_TRUE(d.exists);
  EXPECT_TRUE(d.is_directory);
  EXPECT_EQ(d.id, look_up_path(dir.path()).id);

  EXPECT_FALSE(look_up_path(dir.at("missing")).exists);
  EXPECT_FALSE(look_up_path("").exists);
}

TEST(HostPath, DescriptionPathsUseSlashes) {
  if (test::kWindowsHost) GTEST_SKIP() << "POSIX path rules";
  EXPECT_EQ(host_path_from_description("..\\disc\\root"), "../disc/root");
  std::string text = "a\\b";
  EXPECT_EQ(host_path_of(&text), "a/b");
  EXPECT_EQ(host_path_of(nullptr), "");
  EXPECT_EQ(join_host_path("root", "a.bin"), "root/a.bin");
  EXPECT_EQ(join_host_path("root/", "a.bin"), "root//a.bin");  // joined as it stands
}

TEST(HostPath, AbsoluteFormResolvesDotsAsText) {
  if (test::kWindowsHost) GTEST_SKIP() << "POSIX path rules";
  EXPECT_EQ(absolute_path_text("/a/./b//c/../d"), "/a/b/d");
  EXPECT_EQ(absolute_path_text("/a/b/"), "/a/b/");  // trailing separator kept
  EXPECT_EQ(absolute_path_text("/../../x"), "/x");  // never above "/"
  EXPECT_EQ(absolute_path_text("/"), "/");
  EXPECT_EQ(absolute_path_text("/a/.."), "/");

  // Relative: the current directory in front.
  std::string cwd = fs::current_path().string();
  EXPECT_EQ(absolute_path_text("disc/root"), cwd + "/disc/root");
  EXPECT_EQ(absolute_path_text("./disc/../root/"), cwd + "/root/");
}

}  // namespace
}  // namespace qorv
