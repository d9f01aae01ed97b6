// Two host paths for one file: as text once resolved, and as the same file.
#include <gtest/gtest.h>

#include <unistd.h>

#include "host/environment.h"
#include "host/directory_listing.h"
#include "host/host_path.h"
#include "support/test_support.h"

namespace qorv {
namespace {

TEST(NormalPathText, SpellingsOfOnePath) {
  EXPECT_EQ(normal_path_text("/a/./b//c/../d"), "/a/b/d");
  EXPECT_EQ(normal_path_text("/a/b/"), "/a/b");  // unlike -a, no trailing separator
  EXPECT_EQ(normal_path_text("/"), "/");
  EXPECT_EQ(normal_path_text("/.."), "/");
  // Relative paths are taken from the current directory.
  EXPECT_EQ(normal_path_text("x/../y"), normal_path_text(current_directory() + "/y"));
}

TEST(HostNodeId, LinksNameTheirFile) {
  test::TempDir dir;
  const std::string file = dir.write("f", "data");
  const std::string other = dir.write("g", "data");
  const std::string hard = dir.at("hard");
  const std::string soft = dir.at("soft");
  ASSERT_EQ(::link(file.c_str(), hard.c_str()), 0);
  ASSERT_EQ(::symlink(file.c_str(), soft.c_str()), 0);

  auto id = [](const std::string &path) { return look_up_path(path).id; };
  ASSERT_TRUE(look_up_path(file).exists);
  EXPECT_EQ(id(hard), id(file));
  EXPECT_EQ(id(soft), id(file));
  EXPECT_NE(id(other), id(file));  // equal contents are not enough
  EXPECT_FALSE(look_up_path(dir.at("missing")).exists);
  EXPECT_FALSE(look_up_path("").exists);
}

}  // namespace
}  // namespace qorv
