// The BI2 block: template read, patched words, argument area, informational
// lines and refusals. The template is a byte pattern so that every byte the
// block must keep can be told from a patched or zeroed one.
#include <gtest/gtest.h>

#include <string>

#include "sysarea/bi2_block.h"
#include "support/region_capture.h"
#include "support/settings_builder.h"

namespace qorv {
namespace {

using test::be32;
using test::RegionCapture;

std::string pattern(size_t length) {
  std::string bytes(length, '\0');
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>(0x80 | (i * 7 + 3));
  return bytes;
}

struct Bi2Run : RegionCapture {
  std::string template_bytes = pattern(8192);
  std::string template_path = dir.write("bi2.bin", template_bytes);

  Bi2Run() {
    test::set_text(run, key::BI2FileName, template_path);
    test::set_number(run, key::TotalDisk, 12);
  }
  // The template with the words written on every run: disc count 12 as BCD
  // at 0x1C and long file name support 1 at 0x20.
  std::string always_patched() const {
    std::string b = template_bytes;
    b.replace(0x1C, 8, be32(0x12) + be32(1));
    return b;
  }
};

TEST(Bi2Block, NoOptionalKeysPatchesOnlyDiscCountAndLongNames) {
  Bi2Run c;
  test::set_number(c.run, key::DEBUGFLAG, 0);  // 0: the template's word stays, nothing printed
  ASSERT_TRUE(write_bi2_region(c.run));
  EXPECT_EQ(c.bytes(), c.always_patched());
  EXPECT_EQ(c.err.str(), "");
}

TEST(Bi2Block, DisplayedSettingsInTheirOrder) {
  Bi2Run c;
  test::set_list(c.run, key::Arguments, {"x"});
  test::set_text(c.run, key::CountryCode, "US");
  test::set_number(c.run, key::LongFileNameSupport, 0);
  test::set_number(c.run, key::DEBUGFLAG, 3);
  ASSERT_TRUE(write_bi2_region(c.run));
  std::string block = c.bytes();
  EXPECT_EQ(block.substr(0x0C, 4), be32(3));
  EXPECT_EQ(block.substr(0x18, 4), be32(1));  // us
  EXPECT_EQ(block.substr(0x20, 4), be32(0));
  EXPECT_EQ(c.err.str(),
            "  debugger-type=3\n  LongFileNameSupport=0\n  Arguments=\"x\"\n  CountryCode=US\n");
}

TEST(Bi2Block, CountryCodeWords) {
  for (auto [code, word] : {std::pair{"jp", 0u}, std::pair{"Us", 1u}, std::pair{"eu", 2u}}) {
    Bi2Run c;
    test::set_text(c.run, key::CountryCode, code);
    ASSERT_TRUE(write_bi2_region(c.run));
    EXPECT_EQ(c.bytes().substr(0x18, 4), be32(word)) << code;
  }
}

TEST(Bi2Block, TwoArgumentsPackedAgainstTheEnd) {
  Bi2Run c;
  test::set_list(c.run, key::Arguments, {"ab", "c"});
  ASSERT_TRUE(write_bi2_region(c.run));
  // L = 3 + 2 = 5, S = 8191 - 5 = 8186: "ab\0" at 8186, "c\0" at 8189, byte
  // 8191 kept. S down to 4 = 8184; H = 8184 - 4*2 - 8 = 8168 = 0x1FE8,
  // header 2, 8186, 8189, 0. Bytes 8184 and 8185 keep the template.
  std::string expected = c.always_patched();
  expected.replace(0x08, 4, be32(8168));
  expected.replace(8168, 16, be32(2) + be32(8186) + be32(8189) + be32(0));
  expected.replace(8186, 5, std::string("ab\0c\0", 5));
  EXPECT_EQ(c.bytes(), expected);
  EXPECT_EQ(c.err.str(), "  Arguments=\"ab\", \"c\"\n");
}

TEST(Bi2Block, EmptyArgumentList) {
  Bi2Run c;
  test::set_list(c.run, key::Arguments, {});
  ASSERT_TRUE(write_bi2_region(c.run));
  // S = 8191, down to 4 = 8188, H = 8188 - 8 = 8180: the words 0 and 0.
  std::string expected = c.always_patched();
  expected.replace(0x08, 4, be32(8180));
  expected.replace(8180, 8, std::string(8, '\0'));
  EXPECT_EQ(c.bytes(), expected);
  EXPECT_EQ(c.err.str(), "  Arguments=\n");
}

TEST(Bi2Block, ArgumentAreaMustStayAboveThePatchedWords) {
  // One text of n bytes: S = 8191 - (n + 1), H = (S down to 4) - 12.
  // n = 8142: S = 48, H = 36 = 0x24, the first free byte: accepted.
  Bi2Run fits;
  std::string longest(8142, 'q');
  test::set_list(fits.run, key::Arguments, {longest});
  ASSERT_TRUE(write_bi2_region(fits.run));
  std::string block = fits.bytes();
  EXPECT_EQ(block.substr(0x08, 4), be32(0x24));
  EXPECT_EQ(block.substr(0x1C, 8), be32(0x12) + be32(1));  // patched words intact
  EXPECT_EQ(block.substr(0x24, 12), be32(1) + be32(48) + be32(0));
  EXPECT_EQ(block.substr(48, 8143), longest + '\0');

  // n = 8143: S = 47, down to 44, H = 32 would overwrite the word at 0x20.
  Bi2Run too_long;
  test::set_list(too_long.run, key::Arguments, {std::string(8143, 'q')});
  EXPECT_FALSE(write_bi2_region(too_long.run));
  std::string err = too_long.err.str();
  EXPECT_TRUE(err.ends_with("\"\nError: Arguments are too long.\n")) << err.substr(err.size() - 60);
  EXPECT_TRUE(err.starts_with("  Arguments=\"qqq"));
  EXPECT_EQ(too_long.run.error_count, 1);
  EXPECT_EQ(too_long.bytes(), "");
}

TEST(Bi2Block, TemplateLongerThanTheBlockIsCut) {
  Bi2Run c;
  c.template_bytes = pattern(9000);
  test::write_file(c.template_path, c.template_bytes);
  c.template_bytes.resize(8192);
  ASSERT_TRUE(write_bi2_region(c.run));
  EXPECT_EQ(c.bytes(), c.always_patched());
}

TEST(Bi2Block, TemplateThatCannotBeUsed) {
  Bi2Run short_template;
  test::write_file(short_template.template_path, pattern(8191));
  EXPECT_FALSE(write_bi2_region(short_template.run));
  EXPECT_EQ(short_template.err.str(), "Error: File read error.(" + short_template.template_path + ")\n");

  Bi2Run missing;
  std::string gone = missing.dir.at("none.bin");
  test::set_text(missing.run, key::BI2FileName, gone);
  EXPECT_FALSE(write_bi2_region(missing.run));
  EXPECT_EQ(missing.err.str(), "Error: File open error. (" + gone + ")\n");

  Bi2Run directory;
  std::string folder = directory.dir.mkdir("bi2dir");
  test::set_text(directory.run, key::BI2FileName, folder);
  EXPECT_FALSE(write_bi2_region(directory.run));
  EXPECT_EQ(directory.err.str(), "Error: File open error. (" + folder + ")\n");
  EXPECT_EQ(directory.bytes(), "");
}

}  // namespace
}  // namespace qorv
