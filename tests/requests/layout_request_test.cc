// [LbaAlign], [Layout] and [LbaOrigin] resolved against a scanned tree.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "core/run_state.h"
#include "tree/fst_builder.h"
#include "support/table_builder.h"
#include "support/test_support.h"

namespace qorv {
namespace {

using test::add_follower;
using test::add_layout;
using test::add_lba_origin;

// A.bin (10 bytes), B.bin (20), C.bin (30), M.bin (3), DATA\x.bin (1), DATA\y.dat (2).
struct Requests {
  test::TempDir dir;
  RunState run;
  std::ostringstream err;

  Requests() {
    run.diag_stream = &err;
    run.advanced_fst = true;
    dir.write("root/A.bin", std::string(10, 'a'));
    dir.write("root/B.bin", std::string(20, 'b'));
    dir.write("root/C.bin", std::string(30, 'c'));
    dir.write("root/M.bin", std::string(3, 'm'));
    dir.write("root/DATA/x.bin", "x");
    dir.write("root/DATA/y.dat", "yy");
    test::set_text(run, key::DvdRoot, dir.at("root"));
  }

  bool build() { return build_fst(run); }

  FileEntry &entry(const std::string &disc_path) {
    for (FileEntry *e : run.fst_entries)
      if (e->disc_path == disc_path && e->kind != FstKind::MirrorTwin) return *e;
    throw std::runtime_error("no entry " + disc_path);
  }
};

TEST(LayoutRequests, NamesThatFindNothing) {
  Requests r;
  add_layout(r.run, key::LayoutForm, 3, 0, "DATA\\nope.bin", 1);
  add_layout(r.run, key::LayoutForm, 4, 0, "*.none", 1);           // wildcard: matched, never looked up
  add_layout(r.run, key::LbaAlignForm, 5, 0, "missing.bin", 0x800);  // matched, never looked up
  OriginRequest &o = add_lba_origin(r.run, 6, 0x100000, "gone.bin");
  add_follower(o, 7, "A.bin");
  add_follower(o, 8, "B.bin");
  OriginRequest &p = add_lba_origin(r.run, 9, 0x200000, "C.bin");
  add_follower(p, 10, "DATA\\gone");
  add_follower(p, 11, "A.bin");
  EXPECT_TRUE(r.build());
  EXPECT_EQ(r.err.str(),
            "Warning:file1.ddf, 3: Cannot find DATA\\nope.bin.\n"
            "Warning:file1.ddf, 6: Cannot find gone.bin.\n"
            "Warning:file1.ddf, 7: A.bin is not laid out on the disk\n"
            "Warning:file1.ddf, 8: B.bin is not laid out on the disk\n"
            "Warning:file1.ddf, 10: Cannot find DATA\\gone.\n");
  ASSERT_EQ(r.run.accepted_origins.size(), 1u);
  EXPECT_EQ(r.run.accepted_origins[0], &p);
  EXPECT_EQ(p.followers[0].target, nullptr);  // skipped
  EXPECT_EQ(p.followers[1].target, &r.entry("A.bin"));
}

TEST(LayoutRequests, EqualValuesKeepTheirWrittenOrder) {
  Requests r;
  add_layout(r.run, key::LayoutForm, 5, 0, "B.bin", 2, ReplicaKind::Ordinary, 1);  // file 2
  add_layout(r.run, key::LayoutForm, 3, 0, "c.BIN", 2);                   // the look-up ignores case
  add_layout(r.run, key::LayoutForm, 4, 0, "A.bin", 2);
  add_layout(r.run, key::LayoutForm, 6, 0, "DATA\\x.bin", 0);
  add_layout(r.run, key::LayoutForm, 7, 0, "DATA\\y.dat", 0);
  ASSERT_TRUE(r.build());
  // value << 32, plus the count of earlier definitions of the value (file 1, then file 2).
  EXPECT_EQ(r.entry("C.bin").layout_key, 0x200000000);
  EXPECT_EQ(r.entry("A.bin").layout_key, 0x200000001);
  EXPECT_EQ(r.entry("B.bin").layout_key, 0x200000002);
  EXPECT_EQ(r.entry("DATA\\x.bin").layout_key, 0);
  EXPECT_EQ(r.entry("DATA\\y.dat").layout_key, 1);
  EXPECT_EQ(r.entry("M.bin").layout_key, 0);
}

TEST(LayoutRequests, HighestPriorityDecidesTheKey) {
  Requests r;
  add_layout(r.run, key::LayoutForm, 3, 5, "*.bin", 3);
  add_layout(r.run, key::LayoutForm, 4, 1, "A.bin", -1);  // written later, lower priority
  add_layout(r.run, key::LayoutForm, 5, 2, "DATA\\*", 1);
  add_layout(r.run, key::LayoutForm, 6, 2, "DATA\\y.dat", -2, ReplicaKind::Ordinary, 2);  // same priority, later file
  ASSERT_TRUE(r.build());
  EXPECT_EQ(r.entry("A.bin").layout_key, 0x300000000);
  EXPECT_EQ(r.entry("B.bin").layout_key, 0x300000000);
  EXPECT_EQ(r.entry("DATA\\x.bin").layout_key, 0x300000000);  // "*.bin" reaches into DATA, priority 5
  EXPECT_EQ(r.entry("DATA\\y.dat").layout_key, -0x200000000);
  EXPECT_EQ(r.entry("DATA").layout_key, 0);  // directories take no key
}

TEST(LayoutRequests, HighestPriorityDecidesTheAlignment) {
  Requests r;
  add_layout(r.run, key::LbaAlignForm, 3, 2, "*.bin", 0x8000);
  add_layout(r.run, key::LbaAlignForm, 4, 1, "A.BIN", 0x800, ReplicaKind::Ordinary, 1);
  add_layout(r.run, key::LbaAlignForm, 5, 3, "DATA\\*", 0x100);
  add_layout(r.run, key::LbaAlignForm, 6, 3, "DATA\\x.bin", 0x20, ReplicaKind::Ordinary, 2);
  ASSERT_TRUE(r.build());
  EXPECT_EQ(r.entry("A.bin").alignment, 0x8000u);
  EXPECT_EQ(r.entry("C.bin").alignment, 0x8000u);
  EXPECT_EQ(r.entry("DATA\\x.bin").alignment, 0x20u);  // equal priority: the later file wins
  EXPECT_EQ(r.entry("DATA\\y.dat").alignment, 0x100u);
}

TEST(LayoutRequests, MirrorMakesATwinAfterItsFile) {
  Requests r;
  add_layout(r.run, key::LayoutForm, 3, 0, "M.bin", 4, ReplicaKind::Mirrored);
  add_layout(r.run, key::LayoutForm, 4, 0, "M.bin", -2);
  add_layout(r.run, key::LbaAlignForm, 5, 0, "M.bin", 0x40);
  ASSERT_TRUE(r.build());
  FileEntry &m = r.entry("M.bin");
  ASSERT_EQ(m.children.size(), 1u);
  FileEntry &twin = m.children[0];
  EXPECT_EQ(m.replica_mode, ReplicaKind::Mirrored);
  EXPECT_EQ(twin.kind, FstKind::MirrorTwin);
  EXPECT_EQ(twin.replica_mode, ReplicaKind::Mirrored);
  EXPECT_EQ(twin.extent, 3u);
  EXPECT_EQ(twin.layout_key, 0x400000000);  // the mirror definition's key
  EXPECT_EQ(m.layout_key, -0x200000000);    // the plain definition's key
  EXPECT_EQ(m.alignment, 0x40u);
  EXPECT_EQ(twin.alignment, 0x40u);
  // FST: root, A, B, C, DATA, x, y, M, twin.
  ASSERT_EQ(r.run.fst_entries.size(), 9u);
  EXPECT_EQ(r.run.fst_entries[7], &m);
  EXPECT_EQ(r.run.fst_entries[8], &twin);
  EXPECT_TRUE(r.run.mirror_entries.empty());  // working list only
}

TEST(LayoutRequests, CopyTwiceMakesThreeRecords) {
  Requests r;
  add_layout(r.run, key::LayoutForm, 3, 0, "C.bin", 1, ReplicaKind::Copied);
  add_layout(r.run, key::LayoutForm, 4, 0, "C.bin", 1, ReplicaKind::Copied);
  add_layout(r.run, key::LayoutForm, 5, 0, "C.bin", -3);
  add_layout(r.run, key::LbaAlignForm, 6, 0, "C.bin", 0x10);
  ASSERT_TRUE(r.build());
  FileEntry &c = r.entry("C.bin");
  EXPECT_EQ(c.replica_mode, ReplicaKind::Copied);
  ASSERT_EQ(c.children.size(), 3u);
  for (const FileEntry &record : c.children) {
    EXPECT_EQ(record.replica_mode, ReplicaKind::Copied);
    EXPECT_EQ(record.kind, FstKind::File);
    EXPECT_EQ(record.extent, 30u);
    EXPECT_EQ(record.alignment, 0x10u);
    EXPECT_TRUE(record.children.empty());
  }
  EXPECT_EQ(c.children[0].layout_key, -0x300000000);  // the file's own place: the plain definition
  EXPECT_EQ(c.children[1].layout_key, 0x100000000);
  EXPECT_EQ(c.children[2].layout_key, 0x100000001);
  EXPECT_EQ(c.layout_key, 0);
  ASSERT_EQ(r.run.copy_entries.size(), 1u);
  EXPECT_EQ(r.run.copy_entries[0], &c);
}

TEST(LayoutRequests, RefusedReplicasInLayout) {
  Requests r;
  add_layout(r.run, key::LayoutForm, 3, 0, "A.bin", 1, ReplicaKind::Copied);
  add_layout(r.run, key::LayoutForm, 4, 0, "A.bin", 1, ReplicaKind::Mirrored);  // copied already
  add_layout(r.run, key::LayoutForm, 5, 0, "B.bin", 1, ReplicaKind::Mirrored);
  add_layout(r.run, key::LayoutForm, 6, 0, "B.bin", 1, ReplicaKind::Copied);    // mirrored already
  add_layout(r.run, key::LayoutForm, 7, 0, "B.bin", 1, ReplicaKind::Mirrored);  // twice
  add_layout(r.run, key::LayoutForm, 8, 0, "*.bin", 1, ReplicaKind::Copied);
  add_layout(r.run, key::LayoutForm, 9, 0, "DATA", 1, ReplicaKind::Mirrored);
  add_layout(r.run, key::LayoutForm, 10, 0, "nope", 1, ReplicaKind::Mirrored);  // a warning only
  add_lba_origin(r.run, 12, 0x100000, "B.bin", ReplicaKind::Mirrored);         // mirrored in [Layout]
  EXPECT_FALSE(r.build());
  EXPECT_EQ(r.err.str(),
            "Error:file1.ddf, 4: mirror and copy cannot be mixed.\n"
            "Error:file1.ddf, 6: mirror and copy cannot be mixed.\n"
            "Error:file1.ddf, 7: mirror is redefined.\n"
            "Error:file1.ddf, 8: mirror and copy can not defined in wild card.\n"
            "Error:file1.ddf, 9: DATA is a directory.\n"
            "Warning:file1.ddf, 10: Cannot find nope.\n"
            "Error:file1.ddf, 12: mirror is redefined.\n");
  EXPECT_EQ(r.run.error_count, 6);
}

TEST(LayoutRequests, ReplicasNeedTheAdvancedFormat) {
  Requests r;
  r.run.advanced_fst = false;
  add_layout(r.run, key::LayoutForm, 3, 0, "A.bin", 1, ReplicaKind::Mirrored);
  add_layout(r.run, key::LayoutForm, 4, 0, "DATA", 1, ReplicaKind::Copied);  // the directory is named first
  EXPECT_FALSE(r.build());
  EXPECT_EQ(r.err.str(),
            "Error:file1.ddf, 3: Cannot use mirror or copy with soecified output mode.\n"
            "Error:file1.ddf, 4: DATA is a directory.\n");
}

TEST(LayoutRequests, OriginsFixTheirTargets) {
  Requests r;
  OriginRequest &o = add_lba_origin(r.run, 3, 0x100000, "A.bin");
  add_follower(o, 4, "data\\x.bin");
  OriginRequest &p = add_lba_origin(r.run, 6, 0x80000, "B.bin", ReplicaKind::Ordinary, 1, -1);
  ASSERT_TRUE(r.build());
  ASSERT_EQ(r.run.accepted_origins.size(), 2u);
  EXPECT_EQ(r.run.accepted_origins[0], &o);
  EXPECT_EQ(r.run.accepted_origins[1], &p);
  EXPECT_EQ(o.target, &r.entry("A.bin"));
  EXPECT_EQ(o.layer, 0);
  EXPECT_EQ(o.followers[0].target, &r.entry("DATA\\x.bin"));
  EXPECT_EQ(o.followers[0].layer, 0);
  EXPECT_EQ(p.target, &r.entry("B.bin"));
  EXPECT_EQ(p.layer, 1);
  EXPECT_EQ(r.entry("A.bin").position, 0x100000u);
  EXPECT_EQ(r.entry("DATA\\x.bin").position, 0x100000u);
  EXPECT_EQ(r.entry("B.bin").position, 0x80000u);
  EXPECT_EQ(r.entry("C.bin").position, 0u);
  EXPECT_EQ(r.err.str(), "");
}

TEST(LayoutRequests, CopyOriginTargetsItsNewRecord) {
  Requests r;
  add_lba_origin(r.run, 3, 0x300000, "C.bin");  // before the copy exists
  add_follower(add_lba_origin(r.run, 4, 0x200000, "C.bin", ReplicaKind::Copied), 5, "A.bin", ReplicaKind::Copied);
  add_lba_origin(r.run, 6, 0x400000, "M.bin", ReplicaKind::Mirrored);
  ASSERT_TRUE(r.build());
  OriginRequest &plain = test::lba_origin(r.run, 0x300000);
  OriginRequest &copy = test::lba_origin(r.run, 0x200000);
  OriginRequest &mirror = test::lba_origin(r.run, 0x400000);
  FileEntry &c = r.entry("C.bin");
  ASSERT_EQ(c.children.size(), 2u);
  // The plain origin fixes record 0, the file's own place; the copy fixes record 1.
  EXPECT_EQ(plain.target, &c.children[0]);
  EXPECT_EQ(c.children[0].position, 0x300000u);
  EXPECT_EQ(copy.target, &c.children[1]);
  EXPECT_EQ(copy.replica_index, 1);
  EXPECT_EQ(c.children[1].position, 0x200000u);
  FileEntry &a = r.entry("A.bin");
  ASSERT_EQ(a.children.size(), 2u);
  EXPECT_EQ(copy.followers[0].target, &a.children[1]);
  EXPECT_EQ(a.children[0].position, 0u);  // A's own place stays free
  EXPECT_EQ(a.children[1].position, 0x200000u);
  FileEntry &m = r.entry("M.bin");
  EXPECT_EQ(mirror.target, &m.children.at(0));
  EXPECT_EQ(m.children[0].position, 0x400000u);
  EXPECT_EQ(m.position, 0u);
  // The copied files' own positions hold their copy lists (times 4): names
  // "A.bin", "B.bin", "C.bin", "DATA", "x.bin", "y.dat", "M.bin" with their
  // zeros take 6 * 6 + 5 = 41 bytes, padded to 44; C (copied first) at 44,
  // A behind C's two records and zero word at 44 + 12.
  EXPECT_EQ(c.position, 44u * 4);
  EXPECT_EQ(a.position, 56u * 4);
}

TEST(LayoutRequests, RedefinedLbaAcrossFiles) {
  Requests r;
  add_lba_origin(r.run, 3, 0x100000, "A.bin");
  OriginRequest &again = add_lba_origin(r.run, 7, 0x100000, "B.bin", ReplicaKind::Ordinary, 1);
  add_follower(again, 8, "C.bin");
  add_follower(again, 9, "DATA\\x.bin");
  EXPECT_FALSE(r.build());
  EXPECT_EQ(r.err.str(),
            "Error:file2.ddf, 7: LBA(0000000000100000) is redefined.\n"
            "Warning:file2.ddf, 8: C.bin is not laid out on the disk\n"
            "Warning:file2.ddf, 9: DATA\\x.bin is not laid out on the disk\n");
  EXPECT_EQ(r.run.accepted_origins.size(), 1u);
  EXPECT_EQ(again.target, nullptr);
}

TEST(LayoutRequests, AFileIsFixedOnlyOnce) {
  Requests r;
  add_lba_origin(r.run, 3, 0x100000, "A.bin");
  OriginRequest &second = add_lba_origin(r.run, 4, 0x200000, "a.bin");
  add_follower(second, 5, "B.bin");
  OriginRequest &chain = add_lba_origin(r.run, 6, 0x300000, "C.bin");
  add_follower(chain, 7, "C.bin");                     // its own chain's origin
  add_lba_origin(r.run, 8, 0x400000, "A.bin", ReplicaKind::Mirrored);  // a twin is another place
  EXPECT_FALSE(r.build());
  EXPECT_EQ(r.err.str(),
            "Error:file1.ddf, 4: a.bin is already laid out at LBA(0000000000100000).\n"
            "Warning:file1.ddf, 5: B.bin is not laid out on the disk\n"
            "Error:file1.ddf, 7: C.bin is already laid out at LBA(0000000000300000).\n");
  EXPECT_EQ(r.run.error_count, 2);
}

TEST(LayoutRequests, DirectoriesCannotBeFixed) {
  Requests r;
  OriginRequest &o = add_lba_origin(r.run, 3, 0x100000, "DATA");
  add_follower(o, 4, "A.bin");
  OriginRequest &p = add_lba_origin(r.run, 5, 0x200000, "B.bin");
  add_follower(p, 6, "data");
  add_follower(p, 7, "C.bin");
  EXPECT_FALSE(r.build());
  EXPECT_EQ(r.err.str(),
            "Error:file1.ddf, 3: DATA is a directory.\n"
            "Warning:file1.ddf, 4: A.bin is not laid out on the disk\n"
            "Error:file1.ddf, 6: data is a directory.\n");
  EXPECT_EQ(p.followers[0].target, nullptr);
  EXPECT_EQ(p.followers[1].target, &r.entry("C.bin"));
}

TEST(LayoutRequests, OrderOfTheOriginChecks) {
  Requests r;
  r.run.advanced_fst = false;
  add_lba_origin(r.run, 3, 0x100000, "A.bin");
  add_lba_origin(r.run, 4, 0x200000, "B.bin");
  add_lba_origin(r.run, 5, 0x100000, "DATA", ReplicaKind::Ordinary, 1);    // directory before 1008
  add_lba_origin(r.run, 6, 0x200000, "A.bin", ReplicaKind::Ordinary, 1);   // fixed twice before 1008
  add_lba_origin(r.run, 7, 0x200000, "C.bin", ReplicaKind::Mirrored, 2);  // 1008 before 1012
  add_lba_origin(r.run, 8, 0x100000, "nope", ReplicaKind::Ordinary, 2);     // look-up first
  OriginRequest &refused = add_lba_origin(r.run, 9, 0x500000, "C.bin", ReplicaKind::Mirrored, 2);
  add_follower(refused, 10, "DATA\\y.dat");
  EXPECT_FALSE(r.build());
  EXPECT_EQ(r.err.str(),
            "Error:file2.ddf, 5: DATA is a directory.\n"
            "Error:file2.ddf, 6: A.bin is already laid out at LBA(0000000000100000).\n"
            "Error:file3.ddf, 7: LBA(0000000000200000) is redefined.\n"
            "Warning:file3.ddf, 8: Cannot find nope.\n"
            "Error:file3.ddf, 9: Cannot use mirror or copy with soecified output mode.\n"
            "Warning:file3.ddf, 10: DATA\\y.dat is not laid out on the disk\n");
  // A refused replica leaves the file itself as the target.
  EXPECT_EQ(refused.target, &r.entry("C.bin"));
}

TEST(LayoutRequests, BothPassesReportInOneRun) {
  Requests r;
  add_layout(r.run, key::LayoutForm, 3, 0, "*.bin", 1, ReplicaKind::Mirrored);
  add_lba_origin(r.run, 5, 0x100000, "DATA");
  EXPECT_FALSE(r.build());
  EXPECT_EQ(r.err.str(),
            "Error:file1.ddf, 3: mirror and copy can not defined in wild card.\n"
            "Error:file1.ddf, 5: DATA is a directory.\n");
}

}  // namespace
}  // namespace qorv
