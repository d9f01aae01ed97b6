// The printed forms of errors, warnings and informational lines.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "core/diagnostics.h"
#include "core/run_state.h"
#include "support/test_support.h"

namespace qorv {
namespace {

struct Captured {
  RunState run;
  std::ostringstream err, out;
  Captured() {
    run.diag_stream = &err;
    run.out_stream = &out;
  }
};

TEST(Diagnostics, UnlocatedErrorAndWarning) {
  Captured c;
  report_error(c.run, MessageId::CreateError, {"X"});
  EXPECT_EQ(c.err.str(), "Error: Fail to create file. (X)\n");
  EXPECT_EQ(c.run.error_count, 1);

  c.err.str("");
  report_warning(c.run, MessageId::CreateError, {"X"});
  EXPECT_EQ(c.err.str(), "Warning: Fail to create file. (X)\n");
  EXPECT_EQ(c.run.error_count, 1);  // warnings are not counted
}

TEST(Diagnostics, LocatedFormsPrintLineAsGiven) {
  Captured c;
  report_error(c.run, "a.ddf", 0, MessageId::DescriptionOpenError);
  report_error(c.run, "Last LBA", -1, MessageId::OutOfFstRange, {uint64_t{0x124}, uint64_t{0x144}});
  report_warning(c.run, "b.ddf", 7, MessageId::Redefined, {"DvdRoot"});
  EXPECT_EQ(c.err.str(),
            "Error:a.ddf, 0: File open error.\n"
            "Error:Last LBA, -1: LBA(0000000000000124-0000000000000144) is out of FST range.\n"
            "Warning:b.ddf, 7: DvdRoot is redefined.\n");
  EXPECT_EQ(c.run.error_count, 2);
}

TEST(Diagnostics, ExtraValuesAreIgnored) {
  Captured c;
  // 1020 prints two of the four values it is given.
  report_error(c.run, "", 0, MessageId::OutOfFstRange,
               {uint64_t{1}, uint64_t{2}, uint64_t{3}, uint64_t{4}});
  EXPECT_EQ(c.err.str(), "Error: LBA(0000000000000001-0000000000000002) is out of FST range.\n");
}

TEST(Diagnostics, SignedAndWideValues) {
  Captured c;
  report_error(c.run, "f", 3, MessageId::LayoutValueRange, {-32768, 32767});
  // All bits set prints as sixteen F; a negative offset in two's complement.
  report_error(c.run, "f", 4, MessageId::LbaRedefined, {int64_t{-4}});
  EXPECT_EQ(c.err.str(),
            "Error:f, 3: <layout value> is out of range. (-32768 <= value <= 32767)\n"
            "Error:f, 4: LBA(FFFFFFFFFFFFFFFC) is redefined.\n");
}

TEST(Diagnostics, TextFormsAndInfoLines) {
  Captured c;
  report_error_text(c.run, "x.ddf", 2, "syntax error");
  report_warning_text(c.run, "x.ddf", 3, "HOME undefined.");
  print_info(c.run, "  mode=ZEM\n");  // already ends in a line end: an empty line follows
  print_info(c.run, "  user area = " + hex_lower(0x20000) + " - " + hex_lower(0x7ffe0));
  EXPECT_EQ(c.err.str(),
            "Error:x.ddf, 2: syntax error\n"
            "Warning:x.ddf, 3: HOME undefined.\n"
            "  mode=ZEM\n\n"
            "  user area = 20000 - 7ffe0\n");
  EXPECT_EQ(c.run.error_count, 1);
}

TEST(Diagnostics, LongFileNamesArePrintedWhole) {
  Captured c;
  std::string name(5000, 'n');
  report_error(c.run, "", 0, MessageId::CannotFind, {name});
  EXPECT_EQ(c.err.str(), "Error: Cannot find " + name + ".\n");
}

TEST(Diagnostics, JapaneseCatalog) {
  Captured c;
  c.run.language = Language::Japanese;
  report_error(c.run, "", 0, MessageId::IllegalOption, {"-x"});
  EXPECT_EQ(c.err.str(), test::host_text("Error: 不正なオプションを指定しました (-x)\n"));
}

TEST(MessageCatalog, EveryIdHasBothTexts) {
  for (uint32_t id = 1000; id <= 1030; ++id) {
    EXPECT_FALSE(catalog_text(MessageId(id), Language::English).empty()) << id;
    EXPECT_FALSE(catalog_text(MessageId(id), Language::Japanese).empty()) << id;
  }
  EXPECT_EQ(catalog_text(MessageId::Overlaps, Language::English),
            "LBA(%016I64X-%016I64X)is overlaps. (%016I64X-%016I64X)");
}

TEST(TextFormat, Placeholders) {
  EXPECT_EQ(format_text("%s and %s differ only in letter case.", {"a/X", "a/x"}),
            "a/X and a/x differ only in letter case.");
  EXPECT_EQ(format_text("100%% %s", {}), "100% ");  // a missing value prints nothing
  EXPECT_EQ(hex_lower(0x1f, 16), "000000000000001f");
  EXPECT_EQ(hex_lower(0x100000000ULL, 8), "100000000");  // wider than the minimum
  EXPECT_EQ(hex_lower(0, 0), "0");
  EXPECT_EQ(hex_lower(0, 8), "00000000");
  EXPECT_EQ(hex_lower(0xFEDCBA9876543210ULL, 8), "fedcba9876543210");
  EXPECT_EQ(hex_lower(0xF, 1), "f");
}

}  // namespace
}  // namespace qorv
