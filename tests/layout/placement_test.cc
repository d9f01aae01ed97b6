// Placing single items and finding the chain an extent runs into.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "core/file_entry.h"
#include "layout/fixed_range.h"
#include "layout/offset_math.h"
#include "layout/placement.h"

namespace qorv {
namespace {

FileEntry item(uint64_t extent, uint64_t alignment = 0) {
  FileEntry f;
  f.extent = extent;
  f.alignment = alignment;
  return f;
}

TEST(Placement, RoundingIsFloorAndCeilingBelowZero) {
  // 10 - 20 = -10, down to 4 is -12 (not -8 as truncation would give).
  FileEntry f = item(20);
  EXPECT_EQ(place_backward(f, 10, false), -12);
  EXPECT_EQ(static_cast<int64_t>(f.position), -12);
  // -10 up to 8 is -8; -8 + 3 = -5, up to 4 is -4.
  FileEntry g = item(3, 8);
  EXPECT_EQ(place_forward(g, -10), -4);
  EXPECT_EQ(static_cast<int64_t>(g.position), -8);
}

TEST(Placement, RoundingAgreesWithExactDivision) {
  // Floor and ceiling by exact 128-bit division, against every shortcut
  // (powers of two, 64-bit division) over signed values and all alignments.
  auto floor_multiple = [](WideOffset v, uint64_t a) {
    WideOffset q = v / WideOffset{a};
    if (v % WideOffset{a} < 0) --q;
    return q * WideOffset{a};
  };
  auto ceil_multiple = [](WideOffset v, uint64_t a) {
    WideOffset q = v / WideOffset{a};
    if (v % WideOffset{a} > 0) ++q;
    return q * WideOffset{a};
  };
  std::mt19937_64 rng(99);
  const WideOffset max64 = std::numeric_limits<int64_t>::max();
  const std::vector<WideOffset> edges = {0, 1, -1, 3, -3, 4, -4, max64, -max64 - 1, 2 * max64 + 1, -(2 * max64) - 2};
  const std::vector<uint64_t> alignments = {1, 2, 3, 4, 6, 32, 0x8000, 0x8001, uint64_t{1} << 63, UINT64_MAX};
  for (int i = 0; i < 20000; ++i) {
    const WideOffset v = i < static_cast<int>(edges.size()) ? edges[static_cast<size_t>(i)]
                                                              : static_cast<WideOffset>(static_cast<int64_t>(rng())) * (rng() % 3);
    const uint64_t a = i % 2 ? alignments[rng() % alignments.size()] : (rng() >> (rng() % 64)) | 1;
    ASSERT_EQ(round_up(v, a), ceil_multiple(v, a)) << static_cast<int64_t>(v) << " " << a;
    ASSERT_EQ(round_down(v, a), floor_multiple(v, a)) << static_cast<int64_t>(v) << " " << a;
  }
  EXPECT_EQ(round_up(-5, 0), -5);
  EXPECT_EQ(round_down(7, 0), 7);
}

TEST(Placement, HugeAlignmentSaturatesInsteadOfWrapping) {
  // An alignment read from a negative [LbaAlign] value: 2^64 - 4. The next
  // multiple above 1 lies beyond the 64-bit range, so the item ends up at
  // the highest offset, far outside any user area.
  FileEntry f = item(4, ~uint64_t{3});
  EXPECT_EQ(place_forward(f, 1), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(f.position, static_cast<uint64_t>(std::numeric_limits<int64_t>::max()));
}

TEST(FixedCollision, TouchingCountsAtBothEnds) {
  const std::vector<FixedRange> ranges{{0x100, 0x140, nullptr}, {0x200, 0x240, nullptr}};
  EXPECT_EQ(find_fixed_collision(ranges, 0x0, 0xFC), nullptr);
  EXPECT_EQ(find_fixed_collision(ranges, 0x0, 0x100), &ranges[0]);    // ends at its start
  EXPECT_EQ(find_fixed_collision(ranges, 0x140, 0x180), &ranges[0]);  // starts at its end
  EXPECT_EQ(find_fixed_collision(ranges, 0x144, 0x1FC), nullptr);     // between the two
  EXPECT_EQ(find_fixed_collision(ranges, 0x110, 0x120), &ranges[0]);  // inside
  EXPECT_EQ(find_fixed_collision(ranges, 0x0, 0x300), &ranges[0]);    // covers both: the first
  EXPECT_EQ(find_fixed_collision(ranges, 0x144, 0x300), &ranges[1]);
  EXPECT_EQ(find_fixed_collision(ranges, 0x244, 0x300), nullptr);
  EXPECT_EQ(find_fixed_collision({}, 0x0, 0x300), nullptr);
}

}  // namespace
}  // namespace qorv
