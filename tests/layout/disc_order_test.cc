// Which entries the LBA stage places freely, and in which order.
#include <gtest/gtest.h>

#include "layout/disc_order.h"
#include "layout/layout_test_run.h"

namespace qorv::test {
namespace {

TEST(DiscOrder, QueueHoldsFreeItemsSortedStablyByKey) {
  LayoutRun t(0x20000, 0x100000);
  t.directory("D");
  FileEntry &a = t.file("A", 8);
  FileEntry &b = t.file("B", 8, -5 * 65536);
  FileEntry &m = t.file("M", 8);
  FileEntry &twin = t.mirror(m);
  FileEntry &c = t.file("C", 8);
  std::vector<FileEntry *> records = t.copies(c, 3);
  records[1]->layout_key = 5 * 65536;
  records[2]->position = 0x30000;  // fixed by [LbaOrigin]
  FileEntry &fixed = t.file("F", 8);
  fixed.position = 0x40000;
  FileEntry &e = t.file("E", 8, 65536);

  build_layout_queue(t.run);

  // Keys: B -5*65536 first; then the key-0 items in FST order (A, M, M's
  // twin, C's record 0); then E (65536) and C's record 1 (5*65536). No
  // directory, no copied file itself, nothing fixed.
  std::vector<FileEntry *> expected{&b, &a, &m, &twin, records[0], &e, records[1]};
  EXPECT_EQ(t.run.layout_queue, expected);
  EXPECT_EQ(back_group_begin(t.run.layout_queue), 5u);
}

}  // namespace
}  // namespace qorv::test
