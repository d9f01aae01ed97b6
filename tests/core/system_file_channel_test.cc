// The shared channel into the system file: region writes and zero fill.
#include <gtest/gtest.h>

#include <string>

#include "core/system_file_channel.h"
#include "support/region_capture.h"

namespace qorv {
namespace {

using test::RegionCapture;

TEST(SystemFileChannel, ZeroFillRunsFromTheRegionEndToTheNextOffset) {
  RegionCapture c;
  std::string id(32, 'I'), info(66, 'N');
  ASSERT_TRUE(write_region(c.run, id.data(), 32));
  ASSERT_TRUE(pad_to(c.run, 0x20));  // region 2 follows directly: no fill
  EXPECT_EQ(c.run.system_file.position(), 0x20u);
  ASSERT_TRUE(write_region(c.run, info.data(), 66));
  ASSERT_TRUE(pad_to(c.run, 0x400));  // 0x400 - 0x62 = 926 zero bytes
  ASSERT_TRUE(write_region(c.run, "L", 1));
  EXPECT_EQ(c.bytes(), id + info + std::string(926, '\0') + "L");
  EXPECT_EQ(c.err.str(), "");
}

TEST(SystemFileChannel, OffsetBelowThePositionIsRefused) {
  RegionCapture c;
  std::string block(0x30, 'B');
  ASSERT_TRUE(write_region(c.run, block.data(), 0x30));
  EXPECT_FALSE(pad_to(c.run, 0x20));
  EXPECT_EQ(c.err.str(), "Error: File write error.(" + c.system_path() + ")\n");
  EXPECT_EQ(c.run.error_count, 1);
  EXPECT_EQ(c.bytes(), block);  // nothing written
}

TEST(SystemFileChannel, FailedWritesNameTheSystemFile) {
  RegionCapture c;
  c.run.system_file.close();
  ASSERT_TRUE(c.run.system_file.open("/dev/full", FileAccess::Write));
  EXPECT_FALSE(write_region(c.run, "abc", 3));
  EXPECT_FALSE(pad_to(c.run, 0x20));  // a failed fill does not end the run silently
  EXPECT_EQ(c.err.str(), "Error: File write error.(/dev/full)\nError: File write error.(/dev/full)\n");
  EXPECT_EQ(c.run.error_count, 2);
}

}  // namespace
}  // namespace qorv
