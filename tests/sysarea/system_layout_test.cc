// Positions of the loader, boot file and FST, and the user area bounds.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "core/run_state.h"
#include "sysarea/system_layout.h"
#include "support/settings_builder.h"
#include "support/test_support.h"

namespace qorv {
namespace {

struct Layout {
  test::TempDir dir;
  RunState run;
  std::ostringstream err, out;

  // Loader and boot file of the given sizes; FSTuserEnd 0x80000; in ZEM mode a
  // ZEM system file of 0x1000 bytes.
  Layout(TargetMode mode, uint64_t ldr_size, uint64_t boot_size, uint64_t fst_size = 0x30) {
    run.diag_stream = &err;
    run.out_stream = &out;
    run.target_mode = mode;
    test::set_text(run, key::LDRFileName, dir.write("ldr.bin", std::string(ldr_size, 'l')));
    test::set_text(run, key::BootFileName, dir.write("boot.bin", std::string(boot_size, 'b')));
    test::set_text(run, key::ZEMSysFileName, dir.write("zem.sys", std::string(0x1000, 's')));
    test::set_number(run, key::FSTuserEnd, 0x80000);
    // The three FST sizes as build_fst leaves them.
    run.fst_entries_size = fst_size / 2;
    run.fst_names_size = fst_size - fst_size / 2;
  }
};

TEST(SystemLayout, SmallLoaderPutsTheBootFileAt0x18000) {
  for (TargetMode mode : {TargetMode::ZEM, TargetMode::HT}) {
    Layout l(mode, 0x1000, 0x100);
    ASSERT_TRUE(compute_system_layout(l.run));
    EXPECT_EQ(l.run.ldr_position, 0x2440u);
    EXPECT_EQ(l.run.ldr_size, 0x1000u);
    EXPECT_EQ(l.run.boot_position, 0x18000u);  // 0x3440 rounded up is still below 0x18000
    EXPECT_EQ(l.run.boot_size, 0x100u);
    EXPECT_EQ(l.run.fst_position, 0x18100u);
    EXPECT_EQ(l.run.fst_size, 0x30u);
    // The FST ends at 0x18130: up to 0x18200, then up to a multiple of 0x8000.
    EXPECT_EQ(l.run.user_area_start, 0x20000);
    EXPECT_EQ(l.err.str(), "");
  }
}

TEST(SystemLayout, LargeLoaderPushesTheBootFile) {
  Layout l(TargetMode::ZEM, 0x20000, 0x101);
  ASSERT_TRUE(compute_system_layout(l.run));
  // 0x2440 + 0x20000 = 0x22440, rounded up to 256: 0xC0 beyond.
  EXPECT_EQ(l.run.boot_position, 0x22500u);
  // 0x22500 + 0x101 = 0x22601, rounded up to 256: 255 bytes after the boot file.
  EXPECT_EQ(l.run.fst_position, 0x22700u);
  // FST end 0x22730 -> 0x22800 -> 0x28000.
  EXPECT_EQ(l.run.user_area_start, 0x28000);
}

TEST(SystemLayout, UserAreaEndMakesRoomForTheConfigurationFileInZemMode) {
  Layout zem(TargetMode::ZEM, 0x1000, 0x100);
  ASSERT_TRUE(compute_system_layout(zem.run));
  // 0x80000 - 32 - (0x1000 + 0x40000).
  EXPECT_EQ(zem.run.user_area_end, 0x3EFE0);

  Layout ht(TargetMode::HT, 0x1000, 0x100);
  std::filesystem::remove(ht.dir.at("zem.sys"));  // HT mode never opens it
  ASSERT_TRUE(compute_system_layout(ht.run));
  EXPECT_EQ(ht.run.user_area_end, 0x7FFE0);
  EXPECT_EQ(ht.err.str() + ht.out.str(), "");
}

TEST(SystemLayout, FstUserTopIsUsedUnchanged) {
  Layout l(TargetMode::HT, 0x1000, 0x100);
  test::set_number(l.run, key::FSTuserTop, 0x18130);  // exactly the FST's end
  ASSERT_TRUE(compute_system_layout(l.run));
  EXPECT_EQ(l.run.user_area_start, 0x18130);
}

TEST(SystemLayout, FstUserTopBelowTheFstIsRefused) {
  Layout l(TargetMode::ZEM, 0x1000, 0x100);
  test::set_number(l.run, key::FSTuserTop, 0x1812F);
  std::filesystem::remove(l.dir.at("zem.sys"));  // checked before the ZEM system file is opened
  EXPECT_FALSE(compute_system_layout(l.run));
  EXPECT_EQ(l.err.str(), "Error: FSTuserTop(000000000001812F) is below the end of the FST(0000000000018130).\n");
  EXPECT_EQ(l.out.str(), "");
}

TEST(SystemLayout, MissingInputs) {
  {
    Layout l(TargetMode::HT, 0x1000, 0x100);
    std::filesystem::remove(l.dir.at("ldr.bin"));
    EXPECT_FALSE(compute_system_layout(l.run));
    EXPECT_EQ(l.err.str(), "Error: File open error. (" + l.dir.at("ldr.bin") + ")\n");
  }
  {
    Layout l(TargetMode::HT, 0x1000, 0x100);
    std::filesystem::remove(l.dir.at("boot.bin"));
    l.dir.mkdir("boot.bin");  // a directory is no boot file
    EXPECT_FALSE(compute_system_layout(l.run));
    EXPECT_EQ(l.err.str(), "Error: File open error. (" + l.dir.at("boot.bin") + ")\n");
  }
  {
    Layout l(TargetMode::ZEM, 0x1000, 0x100);
    std::filesystem::remove(l.dir.at("zem.sys"));
    EXPECT_FALSE(compute_system_layout(l.run));
    EXPECT_EQ(l.out.str(), "EEROR " + l.dir.at("zem.sys") + "\n");
    EXPECT_EQ(l.err.str(), "Error: File open error. (" + l.dir.at("zem.sys") + ")\n");
  }
}

TEST(SystemLayout, LoaderOf4GiBIsRefused) {
  Layout l(TargetMode::HT, 0, 0x100);
  std::filesystem::resize_file(l.dir.at("ldr.bin"), uint64_t{1} << 32);  // sparse
  EXPECT_FALSE(compute_system_layout(l.run));
  EXPECT_EQ(l.err.str(), "Error: " + l.dir.at("ldr.bin") + " is too large for the disc format.\n");
}

}  // namespace
}  // namespace qorv
