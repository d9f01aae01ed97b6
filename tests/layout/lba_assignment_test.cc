// Whole LBA stage scenarios: free files, [Layout] groups, fixed chains, the
// merge with gap markers. Offsets are worked out by hand in the comments.
// Unless said otherwise the user area runs from S = 0x20000 to U = 0x100000.
#include <gtest/gtest.h>

#include "layout/lba_assignment.h"
#include "layout/layout_test_run.h"

namespace qorv::test {
namespace {

constexpr int64_t S = 0x20000;
constexpr int64_t U = 0x100000;

TEST(LbaAssignment, FilesFollowAt4ByteSteps) {
  LayoutRun t(S, U);
  FileEntry &a = t.file("A", 10);
  t.file("B", 5);
  t.file("C", 0);  // empty: reserves 4
  t.file("D", 1);
  ASSERT_TRUE(assign_lbas(t.run));
  // A ends at 0x2000A -> 0x2000C; B 0x2000C + 5 -> 0x20014; C + 4 -> 0x20018.
  EXPECT_EQ(a.placement_end, 0x2000Cu);
  EXPECT_EQ(t.queue(), (Placed{{0x20000, "A"}, {0x2000C, "B"}, {0x20014, "C"}, {0x20018, "D"}}));
  EXPECT_EQ(t.err.str(), "  user area = 20000 - 100000\n");
}

TEST(LbaAssignment, LbaAlignRaisesTheStart) {
  LayoutRun t(S, U);
  t.file("A", 0x8004);          // 0x20000 .. 0x28004
  t.file("B", 4, 0, 0x8000);    // next multiple of 0x8000: 0x30000
  t.file("C", 4, 0, 0x3000);    // after 0x30004: 17 * 0x3000 = 0x33000
  ASSERT_TRUE(assign_lbas(t.run));
  EXPECT_EQ(t.queue(), (Placed{{0x20000, "A"}, {0x30000, "B"}, {0x33000, "C"}}));
}

TEST(LbaAssignment, LayoutValuesSplitFrontAndBackGroups) {
  LayoutRun t(S, U);
  t.file("A", 8);
  t.file("B", 4, -65536);      // [Layout] -1
  t.file("C", 40, 65536);      // [Layout] 1
  t.file("D", 12);
  t.file("E", 8, 65537);       // [Layout] 1 again, written later
  ASSERT_TRUE(assign_lbas(t.run));
  // Front, upward from S: B 0x20000, A 0x20004, D 0x2000C, ending 0x20018.
  // Back, downward from U: E is last on the disc, its 8 bytes counted as 32:
  // 0x100000 - 0x20 = 0xFFFE0. C below it unrounded: 0xFFFE0 - 0x28 = 0xFFFB8.
  // One gap marker at the front group's end.
  EXPECT_EQ(t.queue(), (Placed{{0x20000, "B"},
                               {0x20004, "A"},
                               {0x2000C, "D"},
                               {0x20018, ""},
                               {0xFFFB8, "C"},
                               {0xFFFE0, "E"}}));
  EXPECT_EQ(t.run.layout_queue.back()->placement_end, 0x100000u);
}

TEST(LbaAssignment, ChainsWithFollowersInBothDirections) {
  LayoutRun t(S, U);
  t.file("A", 4);
  FileEntry &f1 = t.file("F1", 10);
  FileEntry &f2 = t.file("F2", 6, 0, 0x10);
  FileEntry &f3 = t.file("F3", 3);
  FileEntry &g1 = t.file("G1", 10);
  FileEntry &g2 = t.file("G2", 6);
  FileEntry &g3 = t.file("G3", 3, 0, 0x10);
  OriginRequest &up = t.origin(0x40000, +1, f1, 3);
  t.follow(up, &f2, 4);
  t.follow(up, nullptr, 5);  // not found: skipped
  t.follow(up, &f3, 6);
  OriginRequest &down = t.origin(0x50000, -1, g1, 8);
  t.follow(down, &g2, 9);
  t.follow(down, &g3, 10);
  ASSERT_TRUE(assign_lbas(t.run));
  // "+": F1 0x40000, ends 0x4000A -> 0x4000C; F2 aligned to 0x40010, ends
  // 0x40016 -> 0x40018; F3 0x40018, ends 0x4001B -> 0x4001C.
  // "-": G1 0x50000 - 10 = 0x4FFF6 -> 0x4FFF4; G2 0x4FFF4 - 6 = 0x4FFEE ->
  // 0x4FFEC; G3 0x4FFEC - 3 = 0x4FFE9 -> 0x4FFE0 (alignment 0x10).
  // A at S; markers after A (0x20004) and after F3's end (0x4001C).
  EXPECT_EQ(t.queue(), (Placed{{0x20000, "A"},
                               {0x20004, ""},
                               {0x40000, "F1"},
                               {0x40010, "F2"},
                               {0x40018, "F3"},
                               {0x4001C, ""},
                               {0x4FFE0, "G3"},
                               {0x4FFEC, "G2"},
                               {0x4FFF4, "G1"}}));
  EXPECT_EQ(g1.placement_end, 0x50000u);
  EXPECT_EQ(g3.placement_end, 0x4FFECu);
}

TEST(LbaAssignment, MinusOriginTakesTheEndRounding) {
  // The chain ends 24 bytes below U; the last back-group item L (20 bytes)
  // counted as 32 would not fit above it, so the origin file takes the
  // rounding: 0xFFFE8 - 0x20 = 0xFFFC8. L is then not rounded: 0x100000 -
  // 0x14 = 0xFFFEC, which clears the chain's end 0xFFFE8.
  LayoutRun t(S, U);
  FileEntry &l = t.file("L", 20, 65536);
  FileEntry &f = t.file("F", 20);
  t.origin(0xFFFE8, -1, f, 2);
  ASSERT_TRUE(assign_lbas(t.run));
  EXPECT_TRUE(t.run.end_rounding_taken);
  EXPECT_EQ(t.queue(), (Placed{{0xFFFC8, "F"}, {0xFFFE8, ""}, {0xFFFEC, "L"}}));
  EXPECT_EQ(l.placement_end, 0x100000u);
}

TEST(LbaAssignment, FrontFileTouchingAChainMovesPastIt) {
  // Chain K at 0x20100, 0x40 bytes: 0x20100 .. 0x20140. A 0x20000 .. 0x20010;
  // B (0xF0) would end at 0x20100, touching the chain, so it starts at
  // 0x20140 and ends 0x20230; C follows at 0x20230. A marker marks the hole
  // from A's end to the chain; B follows the chain directly.
  LayoutRun t(S, U);
  t.file("A", 0x10);
  t.file("B", 0xF0);
  t.file("C", 4);
  FileEntry &k = t.file("K", 0x40);
  t.origin(0x20100, +1, k, 1);
  ASSERT_TRUE(assign_lbas(t.run));
  EXPECT_EQ(t.queue(), (Placed{{0x20000, "A"}, {0x20010, ""}, {0x20100, "K"}, {0x20140, "B"}, {0x20230, "C"}}));
}

TEST(LbaAssignment, ChainAtTheUserAreaStartIsFollowedDirectly) {
  // K fills 0x20000 .. 0x20040; A would start at S and collides, so it
  // starts at the chain's end. No marker anywhere.
  LayoutRun t(S, U);
  t.file("A", 8);
  FileEntry &k = t.file("K", 0x40);
  t.origin(S, +1, k, 1);
  ASSERT_TRUE(assign_lbas(t.run));
  EXPECT_EQ(t.queue(), (Placed{{0x20000, "K"}, {0x20040, "A"}}));
}

TEST(LbaAssignment, FileMovedPastTwoChainsIsTestedAgain) {
  // K1 0x20100 .. 0x20140, K2 0x20180 .. 0x201C0. A (0x100 bytes) at S would
  // end at 0x20100 (touching K1), is moved to 0x20140 and would then end at
  // 0x20240, over K2: moved again to 0x201C0. Without the second test it
  // would overlap K2.
  LayoutRun t(S, U);
  t.file("A", 0x100);
  FileEntry &k1 = t.file("K1", 0x40);
  FileEntry &k2 = t.file("K2", 0x40);
  t.origin(0x20180, +1, k2, 2);  // listed first: the ranges are sorted by start
  t.origin(0x20100, +1, k1, 1);
  ASSERT_TRUE(assign_lbas(t.run));
  EXPECT_EQ(t.queue(), (Placed{{0x20100, "K1"}, {0x20140, ""}, {0x20180, "K2"}, {0x201C0, "A"}}));
}

TEST(LbaAssignment, BackFileMovedBelowTwoChainsIsTestedAgain) {
  // M1 0xFFF00 .. 0xFFF40, M2 0xFFF80 .. 0xFFFC0. Z (0x80, a multiple of 32)
  // from U starts at 0xFFF80, over M2; ending at M2's start it starts at
  // 0xFFF00, over M1's end; ending at M1's start it starts at 0xFFE80.
  LayoutRun t(S, U);
  FileEntry &z = t.file("Z", 0x80, 65536);
  FileEntry &m1 = t.file("M1", 0x40);
  FileEntry &m2 = t.file("M2", 0x40);
  t.origin(0xFFF00, +1, m1, 1);
  t.origin(0xFFF80, +1, m2, 2);
  ASSERT_TRUE(assign_lbas(t.run));
  EXPECT_EQ(z.placement_end, 0xFFF00u);
  EXPECT_EQ(t.queue(), (Placed{{0xFFE80, "Z"}, {0xFFF00, "M1"}, {0xFFF40, ""}, {0xFFF80, "M2"}}));
}

TEST(LbaAssignment, AllFilesFixed) {
  // Empty queue: the first chain opens it, a marker follows each chain that
  // the next one does not follow directly.
  LayoutRun t(S, U);
  FileEntry &p = t.file("P", 8);
  FileEntry &q = t.file("Q", 8);
  t.origin(0x40000, +1, q, 2);
  t.origin(0x30000, +1, p, 1);
  ASSERT_TRUE(assign_lbas(t.run));
  EXPECT_EQ(t.queue(), (Placed{{0x30000, "P"}, {0x30008, ""}, {0x40000, "Q"}}));
  EXPECT_EQ(t.err.str(), "  user area = 20000 - 100000\n");
}

TEST(LbaAssignment, ChainInsideTheSplitGap) {
  // A 0x20000 .. 0x20004; B (back) 4 bytes as 32: 0xFFFE0. Split marker at
  // 0x20004. Chain C "-" to 0x30001: 0x30001 - 4 = 0x2FFFD -> 0x2FFFC. It
  // goes after the split marker (no second one there) and gets a marker at
  // its end 0x30001 before B.
  LayoutRun t(S, U);
  t.file("A", 4);
  t.file("B", 4, 65536);
  FileEntry &c = t.file("C", 4);
  t.origin(0x30001, -1, c, 1);
  ASSERT_TRUE(assign_lbas(t.run));  // the odd marker offset is no format problem
  EXPECT_EQ(t.queue(),
            (Placed{{0x20000, "A"}, {0x20004, ""}, {0x2FFFC, "C"}, {0x30001, ""}, {0xFFFE0, "B"}}));
}

TEST(LbaAssignment, CapacityExactlyFilledAndFourBytesOver) {
  // User area 0x1000 .. 0x1040. B (back, 0x20, already a multiple of 32)
  // starts at 0x1020; A (front, 0x20) ends at 0x1020: the passes meet.
  LayoutRun t(0x1000, 0x1040);
  t.file("A", 0x20);
  t.file("B", 0x20, 65536);
  ASSERT_TRUE(assign_lbas(t.run));
  EXPECT_EQ(t.queue(), (Placed{{0x1000, "A"}, {0x1020, ""}, {0x1020, "B"}}));

  // A of 0x24 bytes ends at 0x1024, above B's start.
  LayoutRun over(0x1000, 0x1040);
  FileEntry &a = over.file("A", 0x24);
  over.file("B", 0x20, 65536);
  EXPECT_FALSE(assign_lbas(over.run));
  EXPECT_EQ(over.err.str(),
            "  user area = 1000 - 1040\n"
            "Error: Disk image size is over the disk capacity.\n");
  EXPECT_EQ(over.run.error_count, 1);
  EXPECT_EQ(a.position, 0x1000u);
  EXPECT_EQ(over.run.gap_markers.size(), 0u);  // nothing merged
}

TEST(LbaAssignment, ManyFilesAndChainsStayOrderedAndApart) {
  // 200,000 files of 0x1000 - 4k bytes (k = i % 7), a chain every 0x100000
  // bytes and a back group: every item must start at or after the previous
  // one's end, and no chain may be overlapped.
  LayoutRun t(0x100000, 0x80000000);
  for (int i = 0; i < 200000; ++i)
    t.file("F" + std::to_string(i), 0x1000 - 4 * (i % 7), i % 10 == 0 ? 65536 + i : 0, i % 13 == 0 ? 0x800 : 0);
  for (int c = 0; c < 1000; ++c) {
    FileEntry &k = t.file("K" + std::to_string(c), 0x3000);
    t.origin(0x180000 + int64_t{c} * 0x100000 + 4, c % 2 ? -1 : +1, k, c + 1);
  }
  ASSERT_TRUE(assign_lbas(t.run)) << t.err.str().substr(0, 400);
  ASSERT_EQ(t.run.layout_queue.size() - t.run.gap_markers.size(), 201000u);
  int64_t previous_end = t.run.user_area_start;
  for (const FileEntry *item : t.run.layout_queue) {
    const int64_t start = static_cast<int64_t>(item->position);
    ASSERT_GE(start, previous_end) << item->disc_path;
    if (!is_gap_marker(*item)) previous_end = start + static_cast<int64_t>(item->extent);
  }
  EXPECT_LE(previous_end, t.run.user_area_end);
}

}  // namespace
}  // namespace qorv::test
