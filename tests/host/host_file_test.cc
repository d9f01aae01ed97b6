// Raw host files: all-or-nothing reads and writes, counts and sizes.
#include <gtest/gtest.h>

#include <string>

#include "host/host_file.h"
#include "support/test_support.h"

namespace qorv {
namespace {

TEST(HostFile, MissingFileCannotBeRead) {
  test::TempDir dir;
  HostFile f;
  EXPECT_FALSE(f.open(dir.at("missing"), FileAccess::Read));
  EXPECT_FALSE(f.is_open());
  EXPECT_EQ(f.size(), ~uint64_t{0});
}

TEST(HostFile, WriteTruncatesAndCounts) {
  test::TempDir dir;
  std::string path = dir.write("out.bin", std::string(100, 'x'));
  HostFile f;
  ASSERT_TRUE(f.open(path, FileAccess::Write));
  EXPECT_EQ(f.count(), 0u);
  char buf[30] = {};
  EXPECT_TRUE(f.write(buf, 10));
  EXPECT_TRUE(f.write(buf, 20));
  EXPECT_TRUE(f.write(buf, 30));
  EXPECT_EQ(f.count(), 60u);
  EXPECT_EQ(f.size(), 60u);
  EXPECT_EQ(f.path(), path);
  EXPECT_TRUE(f.close());
  EXPECT_FALSE(f.close());  // nothing open any more
  EXPECT_EQ(f.size(), ~uint64_t{0});
  EXPECT_EQ(test::read_file(path).size(), 60u);
}

TEST(HostFile, ShortReadFails) {
  test::TempDir dir;
  std::string path = dir.write("small", std::string(100, 'a'));
  HostFile f;
  ASSERT_TRUE(f.open(path, FileAccess::Read));
  EXPECT_EQ(f.size(), 100u);
  std::string buf(8192, '\0');
  EXPECT_FALSE(f.read(buf.data(), 8192));
  ASSERT_TRUE(f.open(path, FileAccess::Read));  // reopening starts over
  EXPECT_TRUE(f.read(buf.data(), 100));
  EXPECT_EQ(buf.substr(0, 100), std::string(100, 'a'));
}

TEST(HostFile, DirectoryIsNeverOpened) {
  test::TempDir dir;
  std::string sub = dir.mkdir("sub");
  HostFile f;
  EXPECT_FALSE(f.open(sub, FileAccess::Read));
  EXPECT_FALSE(f.open(sub, FileAccess::Write));
  EXPECT_FALSE(f.is_open());
}

TEST(HostFile, WriteFailureLeavesCount) {
  HostFile f;
  ASSERT_TRUE(f.open("/dev/full", FileAccess::Write));
  char buf[16] = {};
  EXPECT_FALSE(f.write(buf, sizeof buf));
  EXPECT_EQ(f.count(), 0u);
}

}  // namespace
}  // namespace qorv
