// The disc format's limits, checked at the end of the LBA stage: 32-bit
// sizes, positions the FST can hold, ZEM positions on multiples of 4, the
// 24-bit name offsets.
#include <gtest/gtest.h>

#include "layout/lba_assignment.h"
#include "layout/layout_test_run.h"

namespace qorv::test {
namespace {

constexpr int64_t BIG_END = int64_t{1} << 36;

TEST(FormatLimits, EveryProblemInQueueOrderThenTheNameTable) {
  LayoutRun t(0x20000, BIG_END);
  t.file("A", uint64_t{1} << 32);          // at 0x20000: too large
  FileEntry &f = t.file("F", uint64_t{1} << 32);
  t.origin(0x400000001, +1, f, 1);         // too large, beyond 2^34, odd
  t.run.fst_names_size = (uint64_t{1} << 24) + 1;
  EXPECT_FALSE(assign_lbas(t.run));
  EXPECT_EQ(t.err.str(),
            "  user area = 20000 - 1000000000\n"
            "Error: root/A is too large for the disc format.\n"
            "Error: root/F is too large for the disc format.\n"
            "Error: LBA(0000000400000001) of root/F is out of the disc format.\n"
            "Error: LBA(0000000400000001) of root/F is not a multiple of 4.\n"
            "Error: FST name table is too large.\n");
  EXPECT_EQ(t.run.error_count, 5);
}

TEST(FormatLimits, ZemBoundsAreInclusiveBelow) {
  // A 0x3FFFFFFF8, B 0x3FFFFFFFC (the last position below 2^34), C at 2^34.
  LayoutRun t(0x3FFFFFFF8, BIG_END);
  t.file("A", 4);
  t.file("B", 1);
  t.file("C", 0xFFFFFFFF);  // the largest size the format holds
  t.run.fst_names_size = uint64_t{1} << 24;
  EXPECT_FALSE(assign_lbas(t.run));
  EXPECT_EQ(t.err.str(),
            "  user area = 3fffffff8 - 1000000000\n"
            "Error: LBA(0000000400000000) of root/C is out of the disc format.\n");
}

// F fixed at the odd offset 0x30001 (0x30001 .. 0x30004); A (2^32 - 16
// bytes) collides with it and starts at 0x30004, ending at
// 0x30004 - 0x10 + 2^32 = 0x10002FFF4, where B starts.
void odd_chain_and_long_file(LayoutRun &t) {
  FileEntry &f = t.file("F", 3);
  t.file("A", 0xFFFFFFF0);
  t.file("B", 4);
  t.origin(0x30001, +1, f, 1);
}

TEST(FormatLimits, ModesDifferInPositionLimitAndMultipleOf4) {
  LayoutRun ht(0x30000, BIG_END, TargetMode::HT);
  odd_chain_and_long_file(ht);
  EXPECT_FALSE(assign_lbas(ht.run));
  EXPECT_EQ(ht.err.str(),
            "  user area = 30000 - 1000000000\n"
            "Error: LBA(000000010002FFF4) of root/B is out of the disc format.\n");

  LayoutRun zem(0x30000, BIG_END);
  odd_chain_and_long_file(zem);
  EXPECT_FALSE(assign_lbas(zem.run));
  EXPECT_EQ(zem.err.str(),
            "  user area = 30000 - 1000000000\n"
            "Error: LBA(0000000000030001) of root/F is not a multiple of 4.\n");
}

}  // namespace
}  // namespace qorv::test
