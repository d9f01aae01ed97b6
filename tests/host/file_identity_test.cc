// Two host paths for one file: as text once resolved, and as the same file.
#include <gtest/gtest.h>

#include <unistd.h>

#include "host/environment.h"
#include "host/file_identity.h"
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

TEST(FileIdentity, LinksNameTheirFile) {
  test::TempDir dir;
  const std::string file = dir.write("f", "data");
  const std::string other = dir.write("g", "data");
  const std::string hard = dir.at("hard");
  const std::string soft = dir.at("soft");
  ASSERT_EQ(::link(file.c_str(), hard.c_str()), 0);
  ASSERT_EQ(::symlink(file.c_str(), soft.c_str()), 0);

  ASSERT_TRUE(file_identity(file).has_value());
  EXPECT_EQ(file_identity(hard), file_identity(file));
  EXPECT_EQ(file_identity(soft), file_identity(file));
  EXPECT_NE(file_identity(other), file_identity(file));  // equal contents are not enough
  EXPECT_FALSE(file_identity(dir.at("missing")).has_value());
  EXPECT_FALSE(file_identity("").has_value());
}

}  // namespace
}  // namespace qorv
