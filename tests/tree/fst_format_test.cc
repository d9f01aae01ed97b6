// The FST: record encoding, numbering, the three sizes and the bytes written
// into the system file, in both modes and in the advanced format.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

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
using test::record;

std::string bytes_of(const std::array<uint8_t, FST_RECORD_SIZE> &record) {
  return std::string(record.begin(), record.end());
}

TEST(FstRecord, EntriesAsRecordsInBothModesAndFormats) {
  auto entry = [](FstKind kind, ReplicaKind replica, uint32_t name_offset, uint64_t position, uint64_t file_size,
                  uint64_t extent) {
    FileEntry e;
    e.kind = kind, e.replica_mode = replica, e.name_offset = name_offset;
    e.position = position, e.file_size = file_size, e.extent = extent;
    return e;
  };
  using R = ReplicaKind;
  // Only 24 bits of the name offset fit beside the type byte; the replica
  // mode is not shown outside the advanced format. 0x20003 / 4 = 0x8000, the
  // remainder dropped.
  const FileEntry file = entry(FstKind::File, R::Mirrored, 0x01ABCDEF, 0x20003, 5, 5);
  const FileEntry empty = entry(FstKind::File, R::Ordinary, 0, 0, 0, 4);
  const FileEntry dir = entry(FstKind::Directory, R::Ordinary, 0x10, 7, 0, 9);  // parent index 7: never divided
  const FileEntry mirrored = entry(FstKind::File, R::Mirrored, 0, 0x40000, 3, 3);
  // Beyond 4 GiB: 0xC0000000 after the division; a twin stores its reserved size.
  const FileEntry twin = entry(FstKind::MirrorTwin, R::Mirrored, 0, 0x3'0000'0000, 0, 4);
  const FileEntry copied = entry(FstKind::File, R::Copied, 0, 20 * 4, 5, 0);  // its copy list 20 bytes into the name table
  const auto ZEM = TargetMode::ZEM, HT = TargetMode::HT;
  const auto PLAIN = FstFormat::Plain, ADVANCED = FstFormat::Advanced;
  const struct {
    const FileEntry *entry;
    TargetMode mode;
    FstFormat format;
    std::string bytes;
  } cases[] = {
      {&file, ZEM, PLAIN, hex_bytes("00 AB CD EF  00 00 80 00  00 00 00 05")},
      {&file, HT, PLAIN, hex_bytes("00 AB CD EF  00 02 00 03  00 00 00 05")},  // HT: the byte position itself
      {&empty, ZEM, ADVANCED, record(0, 0, 0)},
      {&dir, ZEM, ADVANCED, record(0x01000010, 7, 9)},
      {&dir, HT, PLAIN, record(0x01000010, 7, 9)},
      {&mirrored, ZEM, ADVANCED, record(0x04000000, 0x10000, 3)},
      {&twin, ZEM, ADVANCED, record(0x06000000, 0xC0000000, 4)},
      {&copied, ZEM, ADVANCED, record(0x0C000000, 20, 5)},
      {&copied, ZEM, PLAIN, record(0x00000000, 20, 5)},  // without the advanced format only the kind is shown
  };
  for (const auto &c : cases) EXPECT_EQ(bytes_of(encode_fst_record(*c.entry, c.mode, c.format)), c.bytes) << &c - cases;
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

TEST(FstBuild, OneFileInEitherMode) {
  // Root: next 2. A: name offset 0, 0x20000 (/ 4 = 0x8000 in ZEM mode), size
  // 5. The names: "A", zero, and in ZEM mode two bytes of padding.
  const std::tuple<TargetMode, uint32_t, std::string> modes[] = {{TargetMode::ZEM, 0x8000, std::string("A\0\0\0", 4)},
                                                                 {TargetMode::HT, 0x20000, std::string("A\0", 2)}};
  for (const auto &[mode, word, names] : modes) {
    Fst f(mode, mode == TargetMode::ZEM);
    f.file("A", 5);
    ASSERT_TRUE(build_fst(f.run));
    f.run.fst_entries[1]->position = 0x20000;  // as the LBA stage would place it
    EXPECT_EQ(f.run.fst_entries_size, 24u);
    EXPECT_EQ(f.run.fst_names_size, names.size());
    EXPECT_EQ(f.written(), record(0x01000000, 0, 2) + record(0, word, 5) + names);
  }
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
