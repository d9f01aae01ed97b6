// The fixed-chain checks: inside the user area (1020) and apart (1025),
// reported per chain in build order at the origin's file and line.
// User area 0x20000 .. 0x100000 throughout.
#include <gtest/gtest.h>

#include "layout/lba_assignment.h"
#include "layout/layout_test_run.h"

namespace qorv::test {
namespace {

constexpr int64_t S = 0x20000;
constexpr int64_t U = 0x100000;

TEST(RangeChecks, ChainsAtTheBoundsPass) {
  LayoutRun t(S, U);
  FileEntry &a = t.file("A", 4);
  FileEntry &b = t.file("B", 8);
  t.origin(S, +1, a, 1);   // 0x20000 .. 0x20004
  t.origin(U, -1, b, 2);   // 0xFFFF8 .. 0x100000
  EXPECT_TRUE(assign_lbas(t.run));
  EXPECT_EQ(t.run.error_count, 0);
}

TEST(RangeChecks, OneByteBeyondEitherBound) {
  LayoutRun t(S, U);
  FileEntry &free_file = t.file("Free", 4);
  FileEntry &a = t.file("A", 1);
  FileEntry &b = t.file("B", 4);
  t.origin(0x1FFFF, +1, a, 3, 0);   // 0x1FFFF .. 0x20000 (1 byte up to 4)
  t.origin(0x100001, -1, b, 7, 1);  // 0x100001 - 4 = 0xFFFFD -> 0xFFFFC
  EXPECT_FALSE(assign_lbas(t.run));
  EXPECT_EQ(t.err.str(),
            "Error:one.ddf, 3: LBA(000000000001FFFF-0000000000020000) is out of FST range.\n"
            "Error:two.ddf, 7: LBA(00000000000FFFFC-0000000000100001) is out of FST range.\n");
  EXPECT_EQ(t.run.error_count, 2);
  EXPECT_EQ(free_file.position, 0u);  // no free placement, no user area line
}

TEST(RangeChecks, TouchingChainsOverlap) {
  LayoutRun t(S, U);
  FileEntry &a = t.file("A", 0x10);
  FileEntry &b = t.file("B", 4);
  t.origin(0x30000, +1, a, 2);  // 0x30000 .. 0x30010
  t.origin(0x30010, +1, b, 4);  // 0x30010 .. 0x30014
  EXPECT_FALSE(assign_lbas(t.run));
  EXPECT_EQ(t.err.str(),
            "Error:one.ddf, 2: LBA(0000000000030000-0000000000030010)is overlaps. "
            "(0000000000030010-0000000000030014)\n");
}

TEST(RangeChecks, MessagesPerChainInBuildOrder) {
  LayoutRun t(S, U);
  FileEntry &w = t.file("W", 4);
  FileEntry &v = t.file("V", 4);
  FileEntry &x = t.file("X", 0x10);
  FileEntry &y = t.file("Y", 0x100);
  FileEntry &z = t.file("Z", 0x100);
  t.origin(0x1FFFC, +1, w, 1);     // 0x1FFFC .. 0x20000: below S
  t.origin(0x20000, +1, v, 2);     // 0x20000 .. 0x20004: touches W
  t.origin(0x400C0, +1, x, 3);     // 0x400C0 .. 0x400D0: inside Y and Z
  t.origin(0x40000, +1, y, 4, 1);  // 0x40000 .. 0x40100
  t.origin(0x40180, -1, z, 5, 1);  // 0x40080 .. 0x40180: overlaps Y
  EXPECT_FALSE(assign_lbas(t.run));
  // W: its range error, then its overlap with V. The three mutually
  // overlapping chains: (X,Y) and (X,Z) at X's line, (Y,Z) at Y's.
  EXPECT_EQ(t.err.str(),
            "Error:one.ddf, 1: LBA(000000000001FFFC-0000000000020000) is out of FST range.\n"
            "Error:one.ddf, 1: LBA(000000000001FFFC-0000000000020000)is overlaps. "
            "(0000000000020000-0000000000020004)\n"
            "Error:one.ddf, 3: LBA(00000000000400C0-00000000000400D0)is overlaps. "
            "(0000000000040000-0000000000040100)\n"
            "Error:one.ddf, 3: LBA(00000000000400C0-00000000000400D0)is overlaps. "
            "(0000000000040080-0000000000040180)\n"
            "Error:two.ddf, 4: LBA(0000000000040000-0000000000040100)is overlaps. "
            "(0000000000040080-0000000000040180)\n");
  EXPECT_EQ(t.run.error_count, 5);
}

}  // namespace
}  // namespace qorv::test
