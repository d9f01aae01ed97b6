// The loader file and boot file copies into the system file.
#include <gtest/gtest.h>

#include <string>

#include "sysarea/loader_regions.h"
#include "support/region_capture.h"
#include "support/settings_builder.h"

namespace qorv {
namespace {

using test::RegionCapture;

TEST(LoaderRegions, CopiesTheMeasuredBytesOfBothFiles) {
  RegionCapture c;
  std::string loader = "LOADER-BYTES\x01\x02";
  std::string boot(300, '\x5A');
  test::set_text(c.run, key::LDRFileName, c.dir.write("in/ldr.bin", loader));
  // Written with a backslash: the host opens it with "/".
  test::set_text(c.run, key::BootFileName, c.dir.at("in\\boot.bin"));
  c.dir.write("in/boot.bin", boot);
  c.run.ldr_size = loader.size();
  c.run.boot_size = boot.size();
  ASSERT_TRUE(write_ldr_region(c.run));
  ASSERT_TRUE(write_boot_region(c.run));
  EXPECT_EQ(c.bytes(), loader + boot);
  EXPECT_EQ(c.err.str(), "");
}

TEST(LoaderRegions, FilesThatCannotBeCopied) {
  // Gone since it was measured.
  RegionCapture missing;
  std::string boot = missing.dir.at("boot.bin");
  test::set_text(missing.run, key::BootFileName, boot);
  missing.run.boot_size = 10;
  EXPECT_FALSE(write_boot_region(missing.run));
  EXPECT_EQ(missing.err.str(), "Error: File read error.(" + boot + ")\n");

  // Shorter than measured.
  RegionCapture shrunk;
  std::string ldr = shrunk.dir.write("ldr.bin", "abc");
  test::set_text(shrunk.run, key::LDRFileName, ldr);
  shrunk.run.ldr_size = 4;
  EXPECT_FALSE(write_ldr_region(shrunk.run));
  EXPECT_EQ(shrunk.err.str(), "Error: File read error.(" + ldr + ")\n");
  EXPECT_EQ(shrunk.bytes(), "");

  // 4 GiB or more cannot be held at 32-bit offsets; refused before reading.
  RegionCapture huge;
  std::string big = huge.dir.write("big.bin", "x");
  test::set_text(huge.run, key::LDRFileName, big);
  huge.run.ldr_size = 0x100000000;
  EXPECT_FALSE(write_ldr_region(huge.run));
  EXPECT_EQ(huge.err.str(), "Error: " + big + " is too large for the disc format.\n");
  EXPECT_EQ(huge.run.error_count, 1);
}

}  // namespace
}  // namespace qorv
