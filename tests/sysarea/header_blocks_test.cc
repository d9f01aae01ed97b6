// The disc ID, disc info, loader and BB2 blocks in both modes, and the ZEM
// header copy. Expected bytes are worked out from the block layouts by hand.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "sysarea/header_blocks.h"
#include "support/region_capture.h"
#include "support/settings_builder.h"
#include "support/test_support.h"

namespace qorv {
namespace {

using test::be32;
using test::hex_bytes;
using test::RegionCapture;

std::string header_copy(const RunState &run, size_t from, size_t length) {
  return {reinterpret_cast<const char *>(run.disc_header_copy.data()) + from, length};
}

TEST(DiscIdBlock, ZemFieldsBcdAndMagic) {
  RegionCapture c(TargetMode::ZEM);
  test::set_text(c.run, key::GameName, "GQRVX");  // only the first four bytes count
  test::set_text(c.run, key::Company, "K1Z");
  test::set_number(c.run, key::DiskNumber, 1);        // BCD 01
  test::set_number(c.run, key::GameVersion, 10);      // BCD 10
  test::set_number(c.run, key::Streaming, 0x101);     // low byte 01
  test::set_number(c.run, key::StreamingBufSize, 10); // low byte 0A
  ASSERT_TRUE(write_disk_id_region(c.run));

  std::string expected = "GQRVK1" + hex_bytes("01 10 01 0A") + std::string(14, '\0') +
                         hex_bytes("5D 1C 9E A3  00 00 00 00");
  EXPECT_EQ(c.bytes(), expected);
  EXPECT_EQ(header_copy(c.run, 0, 32), expected);
  EXPECT_EQ(header_copy(c.run, 32, 992), std::string(992, '\0'));
}

TEST(DiscIdBlock, HtShortTextsAreZeroPaddedAndHeaderCopyStaysZero) {
  RegionCapture c(TargetMode::HT);
  test::set_text(c.run, key::GameName, "AB");  // bytes 2 and 3 zero
  test::set_text(c.run, key::Company, "X");    // byte 5 zero
  test::set_number(c.run, key::DiskNumber, 0);
  test::set_number(c.run, key::GameVersion, 123);  // last two digits: 0x23
  ASSERT_TRUE(write_disk_id_region(c.run));

  std::string expected = hex_bytes("41 42 00 00  58 00  00 23  00 00") + std::string(14, '\0') +
                         hex_bytes("00 00 00 00  C2 33 9F 3D");
  EXPECT_EQ(c.bytes(), expected);
  EXPECT_EQ(header_copy(c.run, 0, 1024), std::string(1024, '\0'));
}

TEST(DiscInfoBlock, ZemKeepsSixtyFourBytesAndSetsFlagsWhenUndefined) {
  RegionCapture c(TargetMode::ZEM);
  std::string info;
  for (int i = 0; i < 70; ++i) info += static_cast<char>('A' + i % 26);
  test::set_text(c.run, key::DiskInfo, info);
  ASSERT_TRUE(write_disk_info_region(c.run));

  // 64 text bytes without terminator, then Hash and Encryption off: 1, 1.
  std::string expected = info.substr(0, 64) + hex_bytes("01 01");
  EXPECT_EQ(c.bytes(), expected);
  EXPECT_EQ(header_copy(c.run, 0x20, 66), expected);
  EXPECT_EQ(header_copy(c.run, 0x62, 1024 - 0x62), std::string(1024 - 0x62, '\0'));
}

TEST(DiscInfoBlock, ZemFlagsFollowHashAndEncryption) {
  struct Case {
    int64_t hash, encryption;
    const char *flags;
  };
  for (Case k : {Case{1, 1, "00 00"}, Case{0, 2, "01 00"}, Case{5, 0, "00 01"}}) {
    RegionCapture c(TargetMode::ZEM);
    test::set_text(c.run, key::DiskInfo, "Hi");
    test::set_number(c.run, key::Hash, k.hash);
    test::set_number(c.run, key::Encryption, k.encryption);
    ASSERT_TRUE(write_disk_info_region(c.run));
    EXPECT_EQ(c.bytes(), "Hi" + std::string(62, '\0') + hex_bytes(k.flags)) << k.hash << "," << k.encryption;
  }
}

TEST(DiscInfoBlock, ZemCopyKeepsWholeUtf8Characters) {
  if (test::kWindowsHost) GTEST_SKIP() << "names are UTF-8 on POSIX only";
  // "é" is C3 A9, "あ" is E3 81 82. A character that does not fit whole into
  // the 64 bytes leaves zero bytes instead of a broken sequence.
  struct Case {
    std::string text, field;
  };
  std::string a62(62, 'a'), a63(63, 'a');
  for (const Case &k : {Case{a62 + "\xC3\xA9", a62 + "\xC3\xA9"},
                        Case{a63 + "\xC3\xA9", a63 + std::string(1, '\0')},
                        Case{a62 + "\xE3\x81\x82", a62 + std::string(2, '\0')},
                        Case{a62 + "b\xE3\x81\x82", a62 + "b" + std::string(1, '\0')}}) {
    RegionCapture c(TargetMode::ZEM);
    test::set_text(c.run, key::DiskInfo, k.text);
    ASSERT_TRUE(write_disk_info_region(c.run));
    EXPECT_EQ(c.bytes(), k.field + hex_bytes("01 01"));
    EXPECT_EQ(header_copy(c.run, 0x20, 64), k.field);
  }
}

TEST(DiscInfoBlock, HtTextAndTerminatorUpToTheLoaderBlock) {
  RegionCapture c(TargetMode::HT);
  test::set_text(c.run, key::DiskInfo, "Hello disc");
  ASSERT_TRUE(write_disk_info_region(c.run));
  EXPECT_EQ(c.bytes(), std::string("Hello disc") + '\0');
  EXPECT_EQ(header_copy(c.run, 0, 1024), std::string(1024, '\0'));

  // 0x3DF bytes and the terminator end exactly at 0x400.
  RegionCapture fits(TargetMode::HT);
  test::set_text(fits.run, key::DiskInfo, std::string(0x3DF, 'x'));
  ASSERT_TRUE(write_disk_info_region(fits.run));
  EXPECT_EQ(fits.bytes().size(), 0x3E0u);
  EXPECT_EQ(fits.err.str(), "");
}

TEST(DiscInfoBlock, HtTextThatWouldReachTheLoaderBlockIsRefused) {
  RegionCapture c(TargetMode::HT);
  test::set_text(c.run, key::DiskInfo, std::string(0x3E0, 'x'));
  EXPECT_FALSE(write_disk_info_region(c.run));
  EXPECT_EQ(c.err.str(), "Error: DiskInfo is too long.\n");
  EXPECT_EQ(c.run.error_count, 1);
  EXPECT_EQ(c.bytes(), "");
}

TEST(LoaderBlock, HtSizeAndLoadAddressZemZero) {
  RegionCapture ht(TargetMode::HT);
  ht.run.ldr_size = 0x100001234;  // only the low 32 bits are stored
  ASSERT_TRUE(write_loader_info_region(ht.run));
  EXPECT_EQ(ht.bytes(), hex_bytes("00 00 12 34  80 28 00 60") + std::string(8, '\0'));

  RegionCapture zem(TargetMode::ZEM);
  zem.run.ldr_size = 0x1234;
  ASSERT_TRUE(write_loader_info_region(zem.run));
  EXPECT_EQ(zem.bytes(), std::string(16, '\0'));
}

// Positions of the boot file example: boot at 0x100, FST at 0x200.
void set_positions(RunState &run, uint64_t fst_size) {
  run.boot_position = 0x100;
  run.fst_position = 0x200;
  run.fst_size = fst_size;
  run.user_area_start = 0x8000;
  run.user_area_end = 0x10000;
  test::set_number(run, key::FSTEndAddress, 0x800);
}

TEST(Bb2Block, ZemDividesOffsetsAndLengthsByFourHtStoresThemUndivided) {
  // ZEM: 0x100/4, 0x200/4, 0x44/4, max = size word, (0x800-0x44)=0x7BC down
  // to 32 -> 0x7A0 (not divided), 0x8000/4, (0x10000-0x8000)/4. HT: 0x800 -
  // 0x45 = 0x7BB, rounded down to 32: 0x7A0.
  const std::tuple<TargetMode, uint64_t, std::string> cases[] = {
      {TargetMode::ZEM, 0x44, be32(0x40) + be32(0x80) + be32(0x11) + be32(0x11) + be32(0x7A0) + be32(0x2000) + be32(0x2000)},
      {TargetMode::HT, 0x45, be32(0x100) + be32(0x200) + be32(0x45) + be32(0x45) + be32(0x7A0) + be32(0x8000) + be32(0x8000)}};
  for (const auto &[mode, fst_size, bytes] : cases) {
    RegionCapture c(mode);
    set_positions(c.run, fst_size);
    ASSERT_TRUE(write_bb2_region(c.run));
    EXPECT_EQ(c.bytes(), bytes);
  }
}

TEST(Bb2Block, MaximumLengthAndAddressSettings) {
  struct Case {
    TargetMode mode;
    int64_t max_length;
    uint32_t max_word;
  };
  // A maximum of 0, or one whose stored quotient is 0 (3 / 4), counts as not
  // given and repeats the FST size word (0x44 / 4 or 0x44).
  for (Case k : {Case{TargetMode::ZEM, 0, 0x11}, Case{TargetMode::ZEM, 3, 0x11},
                 Case{TargetMode::ZEM, 0x1000, 0x400}, Case{TargetMode::HT, 0, 0x44},
                 Case{TargetMode::HT, 3, 3}}) {
    RegionCapture c(k.mode);
    set_positions(c.run, 0x44);
    test::set_number(c.run, key::FSTMaxLength, k.max_length);
    test::set_number(c.run, key::FSTAddress, 0x81234567);  // taken as it stands, not divided
    ASSERT_TRUE(write_bb2_region(c.run));
    std::string words = c.bytes();
    ASSERT_EQ(words.size(), 28u);
    EXPECT_EQ(words.substr(12, 4), be32(k.max_word)) << k.max_length;
    EXPECT_EQ(words.substr(16, 4), be32(0x81234567));
  }
}

}  // namespace
}  // namespace qorv
