// [LayoutOff]: what the patterns remove from the disc tree.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/run_state.h"
#include "tree/fst_builder.h"
#include "support/table_builder.h"
#include "support/test_support.h"

namespace qorv {
namespace {

struct Disc {
  test::TempDir dir;
  RunState run;
  std::ostringstream err;

  Disc() {
    run.diag_stream = &err;
    for (const char *f : {"root/a.tmp", "root/DATA/b.tmp", "root/DATA/c.bin", "root/DATA/SUB/d.tmp",
                          "root/DATA/SUB/e.bin", "root/KEEP/f.bin", "extra/g.bin", "extra/h.tmp"})
      dir.write(f, "x");
    test::set_text(run, key::DvdRoot, dir.at("root"));
    test::add_path_list(run, 2, "X", "EXTRA", dir.at("extra"));
  }

  void off(const std::string &pattern, int layer = 0) { test::add_layout(run, key::LayoutOffForm, 9, 0, pattern, 0, {}, layer); }

  std::vector<std::string> disc_paths() {
    EXPECT_TRUE(build_fst(run));
    std::vector<std::string> out;
    for (size_t i = 1; i < run.fst_entries.size(); ++i) out.push_back(run.fst_entries[i]->disc_path);
    return out;
  }
};

TEST(LayoutOff, StarReachesIntoEveryDepthButKeepsTheDirectory) {
  Disc d;
  d.off("DATA\\*.tmp");
  EXPECT_EQ(d.disc_paths(), (std::vector<std::string>{"a.tmp", "DATA", "DATA\\c.bin", "DATA\\SUB", "DATA\\SUB\\e.bin",
                                                      "KEEP", "KEEP\\f.bin", "EXTRA", "EXTRA\\g.bin", "EXTRA\\h.tmp"}));
  EXPECT_EQ(d.err.str(), "");  // nothing is reported
}

TEST(LayoutOff, ADirectoryGoesWithEverythingInIt) {
  Disc d;
  d.off("data\\sub");  // letter case does not matter
  d.off("KEEP", 2);    // patterns of every file apply
  EXPECT_EQ(d.disc_paths(), (std::vector<std::string>{"a.tmp", "DATA", "DATA\\b.tmp", "DATA\\c.bin", "EXTRA",
                                                      "EXTRA\\g.bin", "EXTRA\\h.tmp"}));
}

TEST(LayoutOff, TopLevelPathListDirectoryIsNeverRemovedButItsContentsAre) {
  Disc d;
  d.off("EXTRA");
  d.off("*.tmp", 1);
  d.off("nothing\\matches");
  EXPECT_EQ(d.disc_paths(), (std::vector<std::string>{"DATA", "DATA\\c.bin", "DATA\\SUB", "DATA\\SUB\\e.bin", "KEEP",
                                                      "KEEP\\f.bin", "EXTRA", "EXTRA\\g.bin"}));
}

}  // namespace
}  // namespace qorv
