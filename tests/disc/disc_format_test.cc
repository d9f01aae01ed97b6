// The disc's byte formats both ways: each structure encoded to bytes worked
// out by hand, and those bytes decoded back to the same values; and the
// type bytes and words that no writer makes, which decoding refuses.
#include <gtest/gtest.h>

#include <span>
#include <string>

#include "disc/dlf_format.h"
#include "disc/fst_format.h"
#include "disc/system_area_format.h"
#include "support/hex_bytes.h"

namespace qorv {
namespace {

using test::be32;
using test::hex_bytes;

template <size_t N>
std::string text(const std::array<uint8_t, N> &bytes) {
  return std::string(bytes.begin(), bytes.end());
}

template <size_t N>
std::span<const uint8_t, N> span_of(const std::string &bytes) {
  return std::span<const uint8_t, N>(reinterpret_cast<const uint8_t *>(bytes.data()), N);
}

TEST(FstFormat, RecordsRoundTrip) {
  struct Case {
    const char *what;
    FstRecord record;
    FstFormat format;
    const char *bytes;
  };
  using K = FstKind;
  using R = ReplicaKind;
  const Case cases[] = {
      // 24-bit name offset beside the type byte; word 1 as given (a ZEM
      // position 0x20000 is stored as 0x8000 by the caller).
      {"file", {K::File, R::Ordinary, 0x123456, 0x8000, 5}, FstFormat::Advanced, "00 12 34 56  00 00 80 00  00 00 00 05"},
      {"directory", {K::Directory, R::Ordinary, 0x10, 7, 9}, FstFormat::Advanced, "01 00 00 10  00 00 00 07  00 00 00 09"},
      // Replica mode in bits 2..3: 1 << 2 = 0x04, twin 0x04 | 2, copied 3 << 2 = 0x0C.
      {"mirrored", {K::File, R::Mirrored, 0, 0x10000, 3}, FstFormat::Advanced, "04 00 00 00  00 01 00 00  00 00 00 03"},
      {"twin", {K::MirrorTwin, R::Mirrored, 0, 0x10800, 4}, FstFormat::Advanced, "06 00 00 00  00 01 08 00  00 00 00 04"},
      {"copied", {K::File, R::Copied, 2, 20, 1}, FstFormat::Advanced, "0C 00 00 02  00 00 00 14  00 00 00 01"},
      {"plain directory", {K::Directory, R::Ordinary, 0xFFFFFF, 0, 1}, FstFormat::Plain, "01 FF FF FF  00 00 00 00  00 00 00 01"},
      {"plain file", {K::File, R::Ordinary, 0, 0x20000, 0xFFFFFFFF}, FstFormat::Plain, "00 00 00 00  00 02 00 00  FF FF FF FF"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    const std::string bytes = hex_bytes(c.bytes);
    EXPECT_EQ(text(encode_fst_record(c.record, c.format)), bytes);
    EXPECT_TRUE(decode_fst_record(span_of<FST_RECORD_SIZE>(bytes), c.format) == c.record);
  }
}

TEST(FstFormat, TypeBytesNoWriterMakesAreRefused) {
  // Plain: only 0 and 1. Advanced: kind 3, replica mode 2, bits 4..7, a
  // directory or twin of the wrong replica mode.
  const std::pair<FstFormat, uint8_t> refused[] = {
      {FstFormat::Plain, 0x02},    {FstFormat::Plain, 0x04},    {FstFormat::Plain, 0x0C},
      {FstFormat::Advanced, 0x03}, {FstFormat::Advanced, 0x08}, {FstFormat::Advanced, 0x05},
      {FstFormat::Advanced, 0x0D}, {FstFormat::Advanced, 0x02}, {FstFormat::Advanced, 0x0E},
      {FstFormat::Advanced, 0x10}, {FstFormat::Advanced, 0xFF},
  };
  for (auto [format, type] : refused) {
    SCOPED_TRACE(static_cast<int>(type));
    std::string bytes = std::string(1, static_cast<char>(type)) + std::string(11, '\0');
    EXPECT_FALSE(decode_fst_record(span_of<FST_RECORD_SIZE>(bytes), format).has_value());
  }
}

TEST(FstFormat, LimitsAndUnits) {
  // ZEM pads the name table to 4; copy lists store positions / 4.
  EXPECT_EQ(name_table_size(TargetMode::ZEM, 5), 8u);
  EXPECT_EQ(name_table_size(TargetMode::HT, 5), 5u);
  EXPECT_EQ(copy_list_word(0x40000), 0x10000u);
  EXPECT_EQ(copy_position(0x10000), 0x40000u);
  // What survives a 32-bit word: 2^34 bytes in ZEM mode, multiples of 4.
  const struct {
    TargetMode mode;
    uint64_t value;
    OffsetFit fit;
  } fits[] = {
      {TargetMode::ZEM, 0x3FFFFFFFC, OffsetFit::Fits},        // 0xFFFFFFFF * 4
      {TargetMode::ZEM, 0x400000000, OffsetFit::OutOfRange},  // 2^34
      {TargetMode::ZEM, 6, OffsetFit::NotAligned},
      {TargetMode::HT, 0xFFFFFFFF, OffsetFit::Fits},
      {TargetMode::HT, 0x100000000, OffsetFit::OutOfRange},
  };
  for (const auto &f : fits) {
    EXPECT_EQ(offset_fit(f.mode, f.value), f.fit) << f.value;
    if (f.fit == OffsetFit::Fits) {
      EXPECT_EQ(real_offset(f.mode, stored_offset(f.mode, f.value)), f.value);
    }
  }
}

TEST(SystemAreaFormat, BootBlockRoundTripsInBothModes) {
  // Boot file 0x100, FST 0x200 of 0x44 bytes, no maximum beyond it, loaded at
  // 0x7A0, user area 0x20000 + 0x60000. ZEM stores offsets / 4.
  const Bb2Block bb2{0x100, 0x200, 0x44, 0x44, 0x7A0, 0x20000, 0x60000};
  const std::pair<TargetMode, std::string> modes[] = {
      {TargetMode::ZEM, be32(0x40) + be32(0x80) + be32(0x11) + be32(0x11) + be32(0x7A0) + be32(0x8000) + be32(0x18000)},
      {TargetMode::HT, be32(0x100) + be32(0x200) + be32(0x44) + be32(0x44) + be32(0x7A0) + be32(0x20000) + be32(0x60000)},
  };
  for (const auto &[mode, bytes] : modes) {
    EXPECT_EQ(text(encode_bb2_block(bb2, mode)), bytes);
    EXPECT_TRUE(decode_bb2_block(span_of<BB2_BLOCK_SIZE>(bytes), mode) == bb2);
  }
}

TEST(SystemAreaFormat, MagicWordsAndLoaderBlock) {
  for (TargetMode mode : {TargetMode::ZEM, TargetMode::HT}) {
    std::array<uint8_t, DISC_ID_BLOCK_SIZE> block{};
    put_magic_word(block, mode);
    EXPECT_EQ(text(block).substr(0x18), hex_bytes(mode == TargetMode::ZEM ? "5D 1C 9E A3 00 00 00 00" : "00 00 00 00 C2 33 9F 3D"));
    EXPECT_EQ(read_magic_words(block).mode, mode);
    put_magic_word(block, mode == TargetMode::ZEM ? TargetMode::HT : TargetMode::ZEM);
    EXPECT_FALSE(read_magic_words(block).mode.has_value());
    EXPECT_TRUE(read_magic_words(block).both);
  }
  EXPECT_FALSE(read_magic_words(std::array<uint8_t, DISC_ID_BLOCK_SIZE>{}).both);

  // HT: the loader's size (low 32 bits) and its load address; ZEM: zero.
  const auto ht = encode_loader_block(TargetMode::HT, 0x100001234);
  EXPECT_EQ(text(ht), hex_bytes("00 00 12 34  80 28 00 60") + std::string(8, '\0'));
  EXPECT_EQ(decode_loader_size(ht), 0x1234u);
  EXPECT_EQ(text(encode_loader_block(TargetMode::ZEM, 0x1234)), std::string(16, '\0'));
}

TEST(DlfFormat, LinesRoundTrip) {
  // ZEM shows 16 digits, HT 8; a wider offset shows all its digits.
  const std::pair<TargetMode, uint64_t> items[] = {{TargetMode::ZEM, 0x1234abcd}, {TargetMode::HT, 0}, {TargetMode::HT, 0x123456789}};
  const char *lines[] = {"0x000000001234abcd,\"a\\b\"\r\n", "0x00000000,\"a\\b\"\r\n", "0x123456789,\"a\\b\"\r\n"};
  for (size_t i = 0; i < 3; ++i) {
    std::string line, name;
    uint64_t offset = 0;
    append_dlf_item_line(line, items[i].first, items[i].second, "a\\", "b");
    EXPECT_EQ(line, lines[i]);
    EXPECT_FALSE(parse_dlf_item_line(std::string_view(line).substr(0, line.size() - 2), offset, name));
    EXPECT_EQ(offset, items[i].second);
    EXPECT_EQ(name, "a\\b");
  }
  std::string head;
  append_dlf_version_line(head, TargetMode::HT);
  append_dlf_config_line(head, "c.bin");
  EXPECT_EQ(head, "v1.00\r\nZEM_CONFIG_FILE,\"c.bin\"\r\n");
  EXPECT_EQ(parse_dlf_version_line("v2.00"), TargetMode::ZEM);
  EXPECT_EQ(parse_dlf_config_line("ZEM_CONFIG_FILE,\"c.bin\""), "c.bin");
  EXPECT_FALSE(parse_dlf_config_line("ZEM_CONFIG_FILE,\""));  // its quote opens the name
}

}  // namespace
}  // namespace qorv
