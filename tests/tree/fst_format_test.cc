// The FST: record encoding, numbering, the three sizes and the bytes written
// into the system file, in both modes and in the advanced format.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/run_state.h"
#include "tree/fst_builder.h"
#include "tree/fst_record.h"
#include "tree/fst_writer.h"
#include "support/region_capture.h"
#include "support/table_builder.h"

namespace qorv {
namespace {

using test::be32;
using test::hex_bytes;

std::string bytes_of(const std::array<uint8_t, FST_RECORD_SIZE> &record) {
  return std::string(record.begin(), record.end());
}

// A record as three words.
std::string record(uint32_t w0, uint32_t w1, uint32_t w2) { return be32(w0) + be32(w1) + be32(w2); }

TEST(FstRecord, FileInZemModeStoresItsPositionDividedByFour) {
  FileEntry f;
  f.replica_mode = ReplicaKind::Mirrored;  // not shown outside the advanced format
  f.name_offset = 0x01ABCDEF;  // only 24 bits fit beside the type byte
  f.position = 0x20003;        // 0x20003 / 4 = 0x8000, remainder dropped
  f.file_size = 5;
  f.extent = 5;
  EXPECT_EQ(bytes_of(encode_fst_record(f, TargetMode::ZEM, FstFormat::Plain)), hex_bytes("00 AB CD EF  00 00 80 00  00 00 00 05"));
  // HT mode: the byte position itself.
  EXPECT_EQ(bytes_of(encode_fst_record(f, TargetMode::HT, FstFormat::Plain)), hex_bytes("00 AB CD EF  00 02 00 03  00 00 00 05"));
}

TEST(FstRecord, EmptyFileStoresSizeZeroAndDirectoryStoresIndices) {
  FileEntry empty;
  empty.extent = 4;
  EXPECT_EQ(bytes_of(encode_fst_record(empty, TargetMode::ZEM, FstFormat::Advanced)), record(0, 0, 0));

  FileEntry dir;
  dir.kind = FstKind::Directory;
  dir.name_offset = 0x10;
  dir.position = 7;  // parent index: never divided
  dir.extent = 9;
  EXPECT_EQ(bytes_of(encode_fst_record(dir, TargetMode::ZEM, FstFormat::Advanced)), record(0x01000010, 7, 9));
  EXPECT_EQ(bytes_of(encode_fst_record(dir, TargetMode::HT, FstFormat::Plain)), record(0x01000010, 7, 9));
}

TEST(FstRecord, AdvancedFormatTypeBytes) {
  FileEntry mirrored;
  mirrored.replica_mode = ReplicaKind::Mirrored;
  mirrored.position = 0x40000;
  mirrored.file_size = 3;
  mirrored.extent = 3;
  EXPECT_EQ(bytes_of(encode_fst_record(mirrored, TargetMode::ZEM, FstFormat::Advanced)), record(0x04000000, 0x10000, 3));

  FileEntry twin = mirrored;
  twin.kind = FstKind::MirrorTwin;
  twin.position = 0x3'0000'0000;  // beyond 4 GiB: 0xC0000000 after the division
  twin.file_size = 0;
  twin.extent = 4;  // a twin stores its reserved size
  EXPECT_EQ(bytes_of(encode_fst_record(twin, TargetMode::ZEM, FstFormat::Advanced)), record(0x06000000, 0xC0000000, 4));

  FileEntry copied;
  copied.replica_mode = ReplicaKind::Copied;
  copied.position = 20 * 4;  // its copy list 20 bytes into the name table
  copied.file_size = 5;
  EXPECT_EQ(bytes_of(encode_fst_record(copied, TargetMode::ZEM, FstFormat::Advanced)), record(0x0C000000, 20, 5));
  // Without the advanced format only the kind is shown.
  EXPECT_EQ(bytes_of(encode_fst_record(copied, TargetMode::ZEM, FstFormat::Plain)), record(0x00000000, 20, 5));
}

struct Fst : test::RegionCapture {
  explicit Fst(TargetMode mode = TargetMode::ZEM, bool advanced = true) : RegionCapture(mode) {
    run.advanced_fst = advanced;
    dir.mkdir("root");
    test::set_text(run, key::DvdRoot, dir.at("root"));
  }

  void file(const std::string &path, size_t size) { dir.write("root/" + path, std::string(size, 'x')); }

  // Entry table, name table and copy lists as written.
  std::string written() {
    EXPECT_TRUE(write_fst_region(run));
    return bytes();
  }
};

TEST(FstBuild, EmptyRootIsOneDirectoryRecord) {
  for (TargetMode mode : {TargetMode::ZEM, TargetMode::HT}) {
    Fst f(mode, mode == TargetMode::ZEM);
    ASSERT_TRUE(build_fst(f.run));
    EXPECT_EQ(f.run.fst_entries_size, 12u);
    EXPECT_EQ(f.run.fst_names_size, 0u);
    EXPECT_EQ(f.run.fst_copy_lists_size, 0u);
    // Type 1, name offset 0, parent 0, next 1.
    EXPECT_EQ(f.written(), record(0x01000000, 0, 1));
  }
}

TEST(FstBuild, OneFileInZemMode) {
  Fst f;
  f.file("A", 5);
  ASSERT_TRUE(build_fst(f.run));
  f.run.fst_entries[1]->position = 0x20000;  // as the LBA stage would place it
  EXPECT_EQ(f.run.fst_entries_size, 24u);
  EXPECT_EQ(f.run.fst_names_size, 4u);  // "A", zero, two bytes of padding
  // Root: next 2. A: name offset 0, 0x20000 / 4 = 0x8000, size 5.
  EXPECT_EQ(f.written(), record(0x01000000, 0, 2) + record(0, 0x8000, 5) + std::string("A\0\0\0", 4));
}

TEST(FstBuild, OneFileInHtMode) {
  Fst f(TargetMode::HT, false);
  f.file("A", 5);
  ASSERT_TRUE(build_fst(f.run));
  f.run.fst_entries[1]->position = 0x20000;
  EXPECT_EQ(f.run.fst_names_size, 2u);  // no padding in HT mode
  EXPECT_EQ(f.written(), record(0x01000000, 0, 2) + record(0, 0x20000, 5) + std::string("A\0", 2));
}

TEST(FstBuild, NestedDirectoriesGetParentAndNextIndices) {
  Fst f;
  f.file("D1/D2/F", 1);
  f.file("G", 0);
  ASSERT_TRUE(build_fst(f.run));
  // root 0, D1 1, D2 2, F 3, G 4.
  ASSERT_EQ(f.run.fst_entries.size(), 5u);
  const FileEntry &d1 = *f.run.fst_entries[1];
  const FileEntry &d2 = *f.run.fst_entries[2];
  EXPECT_EQ(d1.name(), "D1");
  EXPECT_EQ(d1.position, 0u);
  EXPECT_EQ(d1.extent, 4u);
  EXPECT_EQ(d2.name(), "D2");
  EXPECT_EQ(d2.position, 1u);
  EXPECT_EQ(d2.extent, 4u);
  EXPECT_EQ(f.run.root_entry.extent, 5u);
  // Names: D1 at 0, D2 at 3, F at 6, G at 8; 10 bytes padded to 12.
  EXPECT_EQ(f.run.fst_names_size, 12u);
  EXPECT_EQ(f.written(), record(0x01000000, 0, 5) + record(0x01000000, 0, 4) + record(0x01000003, 1, 4) +
                             record(0x00000006, 0, 1) + record(0x00000008, 0, 0) +
                             std::string("D1\0D2\0F\0G\0\0\0", 12));
}

TEST(FstBuild, MirroredFileAndItsTwinShareTheName) {
  Fst f;
  f.file("M", 3);
  f.file("N", 6);
  test::add_layout(f.run, key::LayoutForm, 4, 0, "M", 1, ReplicaKind::Mirrored);
  ASSERT_TRUE(build_fst(f.run));
  // root, M, twin of M, N.
  ASSERT_EQ(f.run.fst_entries.size(), 4u);
  EXPECT_EQ(f.run.fst_entries[2], &f.run.fst_entries[1]->children.at(0));
  EXPECT_EQ(f.run.fst_names_size, 4u);  // "M\0N\0": M's name once
  f.run.fst_entries[1]->position = 0x20000;
  f.run.fst_entries[2]->position = 0x30000;
  f.run.fst_entries[3]->position = 0x40000;
  EXPECT_EQ(f.written(), record(0x01000000, 0, 4) + record(0x04000000, 0x8000, 3) + record(0x06000000, 0xC000, 3) +
                             record(0x00000002, 0x10000, 6) + std::string("M\0N\0", 4));
}

TEST(FstBuild, CopiedFileStoresItsCopyList) {
  Fst f;
  f.file("C.bin", 5);
  f.file("LONGNAME.dat", 1);
  test::add_layout(f.run, key::LayoutForm, 4, 0, "C.bin", 1, ReplicaKind::Copied);
  test::add_layout(f.run, key::LayoutForm, 5, 0, "C.bin", 2, ReplicaKind::Copied);
  ASSERT_TRUE(build_fst(f.run));
  FileEntry &c = *f.run.fst_entries[1];
  ASSERT_EQ(c.children.size(), 3u);  // record 0 (its own place) and two copies
  // Names: "C.bin\0" (6) + "LONGNAME.dat\0" (13) = 19, padded to 20; the
  // copy list follows: three positions and a zero word.
  EXPECT_EQ(f.run.fst_names_size, 20u);
  EXPECT_EQ(f.run.fst_copy_lists_size, 16u);
  EXPECT_EQ(c.position, 80u);
  c.children[0].position = 0x20000;
  c.children[1].position = 0x30000;
  c.children[2].position = 0x40000;
  EXPECT_EQ(f.written(), record(0x01000000, 0, 3) + record(0x0C000000, 20, 5) + record(0x00000006, 0, 1) +
                             std::string("C.bin\0LONGNAME.dat\0\0", 20) + be32(0x8000) + be32(0xC000) +
                             be32(0x10000) + be32(0));
}

TEST(FstWriter, FailedWriteIsReported) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  Fst f;
  ASSERT_TRUE(build_fst(f.run));
  ASSERT_TRUE(f.run.system_file.open("/dev/full", FileAccess::Write));
  EXPECT_FALSE(write_fst_region(f.run));
  EXPECT_EQ(f.err.str(), "Error: File write error.(/dev/full)\n");
}

}  // namespace
}  // namespace qorv
