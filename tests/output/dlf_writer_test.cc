// The DLF in both modes, its end check, and failures to create or write it.
#include <gtest/gtest.h>

#include <string>

#include "core/keyword_table.h"
#include "core/settings_store.h"
#include "core/run_state.h"
#include "output/dlf_writer.h"
#include "layout/layout_test_run.h"
#include "support/test_support.h"

namespace qorv::test {
namespace {

// The layout's run state with an [Output] section naming the DLF.
struct DlfRun : LayoutRun {
  TempDir dir;
  std::string dlf_path;

  DlfRun(TargetMode mode, int64_t start, int64_t end, std::string path = "") : LayoutRun(start, end, mode) {
    dlf_path = path.empty() ? dir.at("disc.dlf") : path;
    Section *output = nullptr;
    define_section(run.store.layers[0], *keyword_by_id(key::Output), &output);
    store_text(*output, *keyword_by_id(key::LayoutFileName), 1, dlf_path);
    store_text(*output, *keyword_by_id(key::SystemFileName), 2, "out\\sys.bin");
    store_text(*output, *keyword_by_id(key::ConfigFileName), 3, "out/cfg.bin");
  }

  // A placed item; an empty host path makes a gap marker.
  void item(uint64_t position, uint64_t extent, std::string host_path) {
    FileEntry &e = files.emplace_back();
    e.position = position;
    e.extent = extent;
    e.set_host_path(std::move(host_path));
    run.layout_queue.push_back(&e);
  }

  std::string dlf() const { return read_file(dlf_path); }
};

// The system file's name, written out\sys.bin, as the DLF lists it: with
// "/" on POSIX, as written on Windows.
const std::string kSys = test::host_path("out/sys.bin");

TEST(DlfWriter, ZemWithEmptyQueue) {
  // Four lines; the closing offset is the user area start + 32.
  DlfRun t(TargetMode::ZEM, 0x20000, 0x100000);
  ASSERT_TRUE(write_dlf(t.run));
  EXPECT_EQ(t.dlf(),
            "v2.00\r\n"
            "ZEM_CONFIG_FILE,\"out/cfg.bin\"\r\n"
            "0x0000000000000000,\"" + kSys + "\"\r\n"
            "0x0000000000020020,\"\"\r\n");
  EXPECT_EQ(t.err.str(), "");
}

TEST(DlfWriter, HtItemsMarkersAndEndRaisedTo4) {
  // The last item ends at 0x120 + 3 = 0x123 below U = 0x200: raised to
  // 0x124, closing line at 0x124 + 32 = 0x144.
  DlfRun t(TargetMode::HT, 0x100, 0x200);
  t.item(0x100, 0x10, "root/A");
  t.item(0x110, 0, "");
  t.item(0x120, 3, "root/say \"hi\"\\B");  // written as it is
  ASSERT_TRUE(write_dlf(t.run));
  EXPECT_EQ(t.dlf(),
            "v1.00\r\n"
            "0x00000000,\"" + kSys + "\"\r\n"
            "0x00000100,\"root/A\"\r\n"
            "0x00000110,\"\"\r\n"
            "0x00000120,\"root/say \"hi\"\\B\"\r\n"
            "0x00000144,\"\"\r\n");
}

TEST(DlfWriter, WideOffsets) {
  // HT prints at least 8 digits, more when needed; ZEM always 16. The item
  // ends at 0x12345678D, raised to 0x123456790; + 32 is 0x1234567B0.
  DlfRun ht(TargetMode::HT, 0x100, 0x200000000);
  ht.item(0x123456789, 4, "root/A");
  ASSERT_TRUE(write_dlf(ht.run));
  EXPECT_EQ(ht.dlf(), "v1.00\r\n0x00000000,\"" + kSys + "\"\r\n0x123456789,\"root/A\"\r\n0x1234567b0,\"\"\r\n");

  DlfRun zem(TargetMode::ZEM, 0x100, 0x200000000);
  zem.item(0x123456789, 4, "root/A");
  ASSERT_TRUE(write_dlf(zem.run));
  EXPECT_NE(zem.dlf().find("0x0000000123456789,\"root/A\"\r\n0x00000001234567b0,\"\"\r\n"), std::string::npos);
}

TEST(DlfWriter, EndExactlyAtAnUnalignedBoundIsKept) {
  // Ends at 0x201 = U: not raised, closing line at 0x221.
  DlfRun t(TargetMode::HT, 0x100, 0x201);
  t.item(0x200, 1, "root/A");
  ASSERT_TRUE(write_dlf(t.run));
  EXPECT_EQ(t.dlf(), "v1.00\r\n0x00000000,\"" + kSys + "\"\r\n0x00000200,\"root/A\"\r\n0x00000221,\"\"\r\n");
}

TEST(DlfWriter, EndBeyondTheUserArea) {
  // U = 0x202, end 0x201 raised to 0x204 > U: 1020 with 0x204 and 0x224;
  // the file stays, without its closing line.
  DlfRun t(TargetMode::HT, 0x100, 0x202);
  t.item(0x200, 1, "root/A");
  EXPECT_FALSE(write_dlf(t.run));
  EXPECT_EQ(t.err.str(),
            "Error:Last LBA, -1: LBA(0000000000000204-0000000000000224) is out of FST range.\n");
  EXPECT_EQ(t.dlf(), "v1.00\r\n0x00000000,\"" + kSys + "\"\r\n0x00000200,\"root/A\"\r\n");

  // Already beyond before rounding: 0x210 is reported unchanged.
  DlfRun u(TargetMode::ZEM, 0x100, 0x200);
  u.item(0x200, 0x10, "root/A");
  EXPECT_FALSE(write_dlf(u.run));
  EXPECT_EQ(u.err.str(),
            "Error:Last LBA, -1: LBA(0000000000000210-0000000000000230) is out of FST range.\n");
  EXPECT_EQ(u.run.error_count, 1);
}

TEST(DlfWriter, CannotCreate) {
  TempDir scratch;
  const std::string path = scratch.at("missing/disc.dlf");
  DlfRun t(TargetMode::ZEM, 0x100, 0x200, path);
  EXPECT_FALSE(write_dlf(t.run));
  EXPECT_EQ(t.err.str(), "Error: Fail to create file. (" + path + ")\n");
  EXPECT_FALSE(file_exists(path));
}

TEST(DlfWriter, WriteFailureIsAnError) {
  DlfRun t(TargetMode::ZEM, 0x100, 0x200, "/dev/full");
  t.item(0x100, 4, "root/A");
  EXPECT_FALSE(write_dlf(t.run));
  EXPECT_EQ(t.err.str(), "Error: File write error.(/dev/full)\n");
  EXPECT_EQ(t.run.error_count, 1);

  // With the end check failing as well: one write error, then the range.
  DlfRun u(TargetMode::ZEM, 0x100, 0x200, "/dev/full");
  u.item(0x200, 0x10, "root/A");
  EXPECT_FALSE(write_dlf(u.run));
  EXPECT_EQ(u.err.str(),
            "Error: File write error.(/dev/full)\n"
            "Error:Last LBA, -1: LBA(0000000000000210-0000000000000230) is out of FST range.\n");
  EXPECT_EQ(u.run.error_count, 2);
}

}  // namespace
}  // namespace qorv::test
