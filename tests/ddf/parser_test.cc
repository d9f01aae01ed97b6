// The grammar actions and their messages, each at its file and line. Every
// case loads the file under test as file 1 beside a file 3 that defines the
// required keys, and compares the whole diagnostic text.
#include <gtest/gtest.h>

#include "ddf/load_fixture.h"

namespace qorv {
namespace {

using test::DescriptionFiles;

const char *const kNoSection = "is invalid definition. ([Section] is not defined.)";

TEST(Parser, NoSectionAfterAFailedFirstHeader) {
  DescriptionFiles f;
  // [DvdRoot] is a key, not a section: 1002; the keys after it have no section.
  std::string err = f.load_text("[DvdRoot]\nHash = 1\nMode = x\n");
  // Mode = x also has no section: 1000 comes before the value check (1005).
  EXPECT_EQ(err, f.error_at(1, "Section name [DvdRoot] is invalid.") + f.error_at(2, kNoSection) +
                     f.error_at(3, kNoSection));
  EXPECT_EQ(f.run.error_count, 3);
}

TEST(Parser, SectionRedefinedKeepsThePreviousSection) {
  DescriptionFiles f;
  std::string err = f.load_text("[Input]\nDvdRoot = \"a\"\n[Output]\n[Input]\nLayoutFileName = \"b\"\n");
  EXPECT_EQ(err, f.error_at(4, "[Input] section is redefined."));
  // The key after the failed header went into [Output], the current section.
  ASSERT_NE(f.layer_text(0, key::Output, key::LayoutFileName), nullptr);
  EXPECT_EQ(*f.layer_text(0, key::Output, key::LayoutFileName), "b");
}

TEST(Parser, ModeValues) {
  DescriptionFiles f;
  std::string err = f.load_text("[Output]\nMode = x\nMode = \"HT\"\nMode = ht\nMode = Zem\n");
  // x: 1005; a quoted Mode: 1023; ht stored as HT, then Zem replaces it (1024).
  EXPECT_EQ(err, f.error_at(2, "Invalid definition. (Define ZEM|HT in Mode)") + f.error_at(3, "syntax error") +
                     f.warning_at(5, "Mode is redefined."));
  EXPECT_EQ(*f.layer_text(0, key::Output, key::Mode), "ZEM");
}

TEST(Parser, CountryCodeForms) {
  DescriptionFiles f;
  std::string err = f.load_text(
      "[BI2]\n"
      "CountryCode = xx\n"      // 2: 1003
      "CountryCode = 3\n"       // 3: 1006
      "CountryCode = \"us\"\n"  // 4: 1023, only GameName and Company take quotes
      "24 = 2, l\n"             // 5: 1023, the L is case-sensitive
      "25 = 1, L\n"             // 6: 1023
      "CountryCode = US\n");    // 7: stored as written
  EXPECT_EQ(err, f.error_at(2, "Invalid definition. (Enter one of {jp|us|eu} in CountryCode.)") +
                     f.error_at(3, "Invalid definition. (Define 0|1|2 in CountryCode)") +
                     f.error_at(4, "syntax error") + f.error_at(5, "syntax error") + f.error_at(6, "syntax error"));
  EXPECT_EQ(*f.layer_text(0, key::BI2, key::CountryCode), "US");

  DescriptionFiles g;
  EXPECT_EQ(g.load_text("[BI2]\nCountryCode = 1\n"), "");
  EXPECT_EQ(*g.layer_text(0, key::BI2, key::CountryCode), "us");
  DescriptionFiles h;
  EXPECT_EQ(h.load_text("[BI2]\n24 = 2, L\n"), "");
  EXPECT_EQ(*h.layer_text(0, key::BI2, key::CountryCode), "eu");
  // The old notation checks 24 and L before the section; then it is CountryCode.
  DescriptionFiles i;
  EXPECT_EQ(i.load_text("[DvdRoot]\n23 = 0, L\n24 = 0, L\n"),
            i.error_at(1, "Section name [DvdRoot] is invalid.") + i.error_at(2, "syntax error") +
                i.error_at(3, kNoSection));
  DescriptionFiles j;
  EXPECT_EQ(j.load_text("[Input]\n24 = 0, L\n"),
            j.error_at(2, "Invalid definition. (CountryCode can not defined in [Input] Section)"));
}

TEST(Parser, SpecialNumberIsStoredAsWritten) {
  DescriptionFiles f;
  // Two definitions on one line: each keeps its own number's text.
  EXPECT_EQ(f.load_text("[DiskID]\nGameName = 12 Company = 0x1F\n[Output]\nMode = 007\n"), "");
  EXPECT_EQ(*f.layer_text(0, key::DiskID, key::GameName), "12");
  EXPECT_EQ(*f.layer_text(0, key::DiskID, key::Company), "0x1F");
  EXPECT_EQ(*f.layer_text(0, key::Output, key::Mode), "007");
}

TEST(Parser, KeyOutsideItsSectionAndWrongKinds) {
  DescriptionFiles f;
  std::string err = f.load_text(
      "[Input]\n"
      "LayoutFileName = \"a\"\n"     // 2: 1004
      "DvdRoot = \"a\", \"b\"\n"     // 3: 1023, only Arguments takes a list
      "DvdRoot = 5\n"                // 4: 1023, number for a text key
      "Input = x\n"                  // 5: 1023, a section name is no key
      "[DiskID]\n"
      "DiskNumber = \"1\"\n"         // 7: 1023
      "DiskNumber = x\n"             // 8: 1023
      "DiskInfo = plain\n");         // 9: a symbol is stored as text
  EXPECT_EQ(err, f.error_at(2, "Invalid definition. (LayoutFileName can not defined in [Input] Section)") +
                     f.error_at(3, "syntax error") + f.error_at(4, "syntax error") + f.error_at(5, "syntax error") +
                     f.error_at(7, "syntax error") + f.error_at(8, "syntax error"));
  EXPECT_EQ(f.layer_entry(0, key::Input, key::DvdRoot), nullptr);
  EXPECT_EQ(*f.layer_text(0, key::DiskID, key::DiskInfo), "plain");
}

TEST(Parser, ArgumentsListsOfAnyLength) {
  DescriptionFiles f;
  EXPECT_EQ(f.load_text("[BI2]\nArguments = \"-a\"\n"), "");
  auto *one = dynamic_cast<const StringListEntry *>(f.layer_entry(0, key::BI2, key::Arguments));
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(one->values, std::vector<std::string>{"-a"});

  DescriptionFiles g;
  EXPECT_EQ(g.load_text("[BI2]\nArguments = \"a\",\n \"b\" , \"\"\n"), "");
  auto *three = dynamic_cast<const StringListEntry *>(g.layer_entry(0, key::BI2, key::Arguments));
  ASSERT_NE(three, nullptr);
  EXPECT_EQ(three->values, (std::vector<std::string>{"a", "b", ""}));
  EXPECT_EQ(three->line, 3);  // the line of the last text
}

TEST(Parser, RedefinitionIsReportedAtItsOwnLine) {
  DescriptionFiles f;
  // The parser reads LDRFileName on line 4 before it reduces line 3.
  std::string err = f.load_text("[Input]\nDvdRoot = \"a\"\nDvdRoot = \"b\"\nLDRFileName = \"c\"\n");
  EXPECT_EQ(err, f.warning_at(3, "DvdRoot is redefined."));
  EXPECT_EQ(f.run.error_count, 0);
  auto *e = dynamic_cast<const StringEntry *>(f.layer_entry(0, key::Input, key::DvdRoot));
  EXPECT_EQ(e->value, "b");
  EXPECT_EQ(e->line, 2);
}

TEST(Parser, MessagesComeInTheOrderTheParserReadsTokens) {
  test::unset_environment("QORV_TEST_NOT_SET");
  DescriptionFiles f;
  // A text definition is reduced only once the next token is read, so the
  // warning from expanding line 4 comes first.
  EXPECT_EQ(f.load_text("[Input]\nDvdRoot = \"a\"\nDvdRoot = \"b\"\n$(QORV_TEST_NOT_SET)\nLDRFileName = \"c\"\n"),
            f.warning_at(4, "QORV_TEST_NOT_SET undefined.") + f.warning_at(3, "DvdRoot is redefined."));
  DescriptionFiles g;
  // SPECIAL = SYMBOL is complete without looking ahead.
  EXPECT_EQ(g.load_text("[Output]\nMode = x\n$(QORV_TEST_NOT_SET)\n"),
            g.error_at(2, "Invalid definition. (Define ZEM|HT in Mode)") +
                g.warning_at(3, "QORV_TEST_NOT_SET undefined."));
}

TEST(Parser, LayoutAndLbaAlignEntries) {
  DescriptionFiles f;
  std::string err = f.load_text(
      "[Layout]\n"
      "1 = \"dir/a\", 32768\n"            // 2: 1007, kept
      "2 =\n\"b\", -5, Mirror\n"          // 3-4
      "3 = \"c\", 0, x\n"                 // 5: 1023, dropped
      "[LbaAlign]\n"
      "4 = \"d\", 0x800, copy\n"          // 7: 1004 mirror|copy, dropped
      "5 = \"e\", 0x8000\n"               // 8
      "[Input]\n"
      "6 = \"f\", 1\n");                  // 10: 1004 with the form name
  EXPECT_EQ(err, f.error_at(2, "<layout value> is out of range. (-32768 <= value <= 32767)") +
                     f.error_at(5, "syntax error") +
                     f.error_at(7, "Invalid definition. (mirror|copy can not defined in [LbaAlign] Section)") +
                     f.error_at(10, "Invalid definition. (priority=\"filename\",value can not defined in [Input] Section)"));
  auto *layout = find_table<LayoutTable>(f.run.store.layers[0], key::LayoutForm);
  ASSERT_NE(layout, nullptr);
  ASSERT_EQ(layout->items.size(), 2u);
  EXPECT_EQ(layout->items[0].file, "dir\\a");
  EXPECT_EQ(layout->items[0].value, 32768);
  EXPECT_EQ(layout->items[0].line, 2);
  EXPECT_EQ(layout->items[1].line, 4);
  EXPECT_EQ(layout->items[1].value, -5);
  EXPECT_EQ(layout->items[1].replica, ReplicaKind::Mirrored);
  auto *align = find_table<LayoutTable>(f.run.store.layers[0], key::LbaAlignForm);
  ASSERT_EQ(align->items.size(), 1u);
  EXPECT_EQ(align->items[0].file, "e");
  EXPECT_EQ(align->items[0].value, 0x8000);
  EXPECT_EQ(align->items[0].priority, 5);
}

TEST(Parser, PriorityKeepsItsLow32Bits) {
  DescriptionFiles f;
  // 0x100000002 cut to 32 bits is 2; -1 stays -1.
  EXPECT_EQ(f.load_text("[Layout]\n0x100000002 = \"a\", 0\n-1 = \"b\", 0\n"), "");
  auto *layout = find_table<LayoutTable>(f.run.store.layers[0], key::LayoutForm);
  EXPECT_EQ(layout->items[0].priority, 2);
  EXPECT_EQ(layout->items[1].priority, -1);
}

TEST(Parser, PathListEntries) {
  DescriptionFiles f;
  std::string err = f.load_text(
      "[PathList]\n"
      "a = \"x/y\", \"/host/dir\"\n"
      "b = \"one\"\n"                     // 3: 1023
      "c = \"1\", \"2\", \"3\"\n"         // 4: 1023
      "a = \"z\", \"/other\"\n"           // 5: 1024
      "[Input]\n"
      "d = \"p\", \"q\"\n");              // 7: 1004
  const std::string form = "name=\"FST dir\",\"Windows dir\"";
  EXPECT_EQ(err, f.error_at(3, "syntax error") + f.error_at(4, "syntax error") +
                     f.warning_at(5, form + " is redefined.") +
                     f.error_at(7, "Invalid definition. (" + form + " can not defined in [Input] Section)"));
  auto *paths = find_table<PathTable>(f.run.store.layers[0], key::PathListForm);
  ASSERT_EQ(paths->items.size(), 1u);
  EXPECT_EQ(paths->items[0].name, "a");
  EXPECT_EQ(paths->items[0].fst_dir, "z");
  EXPECT_EQ(paths->items[0].host_dir, "\\other");
  EXPECT_EQ(paths->items[0].line, 5);
}

TEST(Parser, OriginsAndFollowers) {
  DescriptionFiles f;
  std::string err = f.load_text(
      "[LbaOrigin]\n"
      "0x100000 = \"a/b\", +\n"
      "0x100000 :: \"c\"\n"
      "0x100000 :: \"d\", COPY\n"
      "0x100000 = \"e\", -\n"             // 5: 1008
      "0x200000 = \"f\", -, mirror\n"
      "0x300000 :: \"g\"\n"               // 7: 1009
      "0x400000 = \"h\", +, twice\n"      // 8: 1023
      "[Input]\n"
      "0x500000 = \"i\", +\n"             // 10: 1004
      "0x100000 :: \"j\"\n");             // 11: 1009, no origin in [Input]
  EXPECT_EQ(err, f.error_at(5, "LBA(0000000000100000) is redefined.") +
                     f.error_at(7, "LBA(0000000000300000) is undefined.") + f.error_at(8, "syntax error") +
                     f.error_at(10, "Invalid definition. (LBA=\"filename\",layout can not defined in [Input] Section)") +
                     f.error_at(11, "LBA(0000000000100000) is undefined."));
  auto *origins = find_table<OriginTable>(f.run.store.layers[0], key::OriginForm);
  ASSERT_EQ(origins->items.size(), 2u);
  const OriginRequest &first = origins->items[0];
  EXPECT_EQ(first.file, "a\\b");
  EXPECT_EQ(first.direction, 1);
  EXPECT_EQ(first.line, 2);
  ASSERT_EQ(first.followers.size(), 2u);
  EXPECT_EQ(first.followers[0].file, "c");
  EXPECT_EQ(first.followers[0].line, 3);
  EXPECT_EQ(first.followers[0].direction, 0);
  EXPECT_EQ(first.followers[0].lba, 0x100000);
  EXPECT_EQ(first.followers[1].replica, ReplicaKind::Copied);
  EXPECT_EQ(origins->items[1].direction, -1);
  EXPECT_EQ(origins->items[1].replica, ReplicaKind::Mirrored);
}

TEST(Parser, FollowerNeedsAnOriginInTheSameFile) {
  DescriptionFiles f;
  std::string one = f.write("one.ddf", "[LbaOrigin]\n0x100000 = \"a\", +\n");
  std::string two = f.write("two.ddf", "[LbaOrigin]\n0x100000 :: \"b\"\n0x100000 = \"c\", +\n");
  std::string err = f.load({one, two, f.write("required.ddf", test::kRequiredKeys)});
  // Origins at the same LBA in two files are no conflict while loading.
  EXPECT_EQ(err, "Error:" + two + ", 2: LBA(0000000000100000) is undefined.\n");
}

TEST(Parser, LayoutOffEntries) {
  DescriptionFiles f;
  EXPECT_EQ(f.load_text("[LayoutOff]\n\"a/b\" \"c\"\n[Input]\n\"d\"\n"),
            f.error_at(4, "Invalid definition. (\"filename\" can not defined in [Input] Section)"));
  auto *off = find_table<LayoutTable>(f.run.store.layers[0], key::LayoutOffForm);
  ASSERT_EQ(off->items.size(), 2u);
  EXPECT_EQ(off->items[0].file, "a\\b");
  EXPECT_EQ(off->items[1].file, "c");
  EXPECT_EQ(off->items[1].line, 2);
  EXPECT_EQ(off->items[1].priority, 0);
  EXPECT_EQ(off->items[1].value, 0);
}

TEST(Parser, SyntaxErrorsEndTheFile) {
  // The error's line, and a key after it that was not stored (0: none).
  const struct {
    const char *text;
    int32_t line;
    KeyId section, key;
  } cases[] = {
      {"\nDvdRoot = \"a\"\n[Input]\n", 2, key::Input, key::DvdRoot},  // a definition before the first header
      // A SPECIAL keyword or a non-keyword in brackets.
      {"[Mode]\n[Input]\nDvdRoot = \"a\"\n", 1, key::Input, key::DvdRoot},
      {"[input]\n", 1, 0, 0},
      {"[Input]\nDvdRoot = \"a\" =\nLDRFileName = \"b\"\n", 2, key::Input, key::LDRFileName},
      // A definition that lacks its value fails at the end of the file, on
      // the last line: the final line feed starts no line 3.
      {"[Input]\nDvdRoot =\n", 2, 0, 0},
      {"[Input]\nDvdRoot =\n\n; end\n", 4, 0, 0},
      {"[Input]\n\xFF\nDvdRoot = \"a\"\n", 2, 0, 0},  // a high byte is no end of the file
  };
  for (const auto &c : cases) {
    DescriptionFiles f;
    EXPECT_EQ(f.load_text(c.text), f.error_at(c.line, "syntax error")) << c.text;
    if (c.key != 0) { EXPECT_EQ(f.layer_entry(0, c.section, c.key), nullptr); }
  }
}

TEST(Parser, LexerMessages) {
  DescriptionFiles f;
  std::string err = f.load_text("[Input]\nDvdRoot = \"C:/root\nLDRFileName = \"x\"\n[DiskID]\nDiskNumber = 0x\n");
  EXPECT_EQ(err, f.error_at(2, "string must be enclosed within \"") + f.error_at(5, "syntax error"));
  // Both tokens were still delivered.
  EXPECT_EQ(*f.layer_text(0, key::Input, key::DvdRoot), "C:/root");
  EXPECT_EQ(find_number(f.run.store, key::DiskID, key::DiskNumber), 0);
}

TEST(Parser, VariableReferenceMessages) {
  test::unset_environment("QORV_TEST_NOT_SET");
  test::ScopedEnvironment root("QORV_TEST_ROOT", "/work");
  test::ScopedEnvironment loop("QORV_TEST_LOOP", "$(QORV_TEST_LOOP)");
  DescriptionFiles f;
  std::string err = f.load_text(
      "[Input]\n"
      "DvdRoot = \"$(QORV_TEST_ROOT)/disc\"\n"
      "LDRFileName = $x\n"                        // 3: error, line dropped
      "BI2FileName = \"$(QORV_TEST_NOT_SET)\"\n"  // 4: warning, line dropped
      "BootFileName = \"$(QORV_TEST_LOOP)\"\n"    // 5: too many, line dropped
      "; $(QORV_TEST_NOT_SET) is never looked up\n");
  EXPECT_EQ(err, f.error_at(3, "description of $ is wrong") + f.warning_at(4, "QORV_TEST_NOT_SET undefined.") +
                     f.error_at(5, "too many variable references"));
  EXPECT_EQ(f.run.error_count, 2);
  EXPECT_EQ(*f.layer_text(0, key::Input, key::DvdRoot), "/work/disc");
  EXPECT_EQ(f.layer_entry(0, key::Input, key::BI2FileName), nullptr);
}

TEST(Parser, RegistryReferenceFromUtf16Export) {
  if (test::kWindowsHost) GTEST_SKIP() << "Windows reads its registry";
  test::TempDir dir;
  std::string ascii =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Kelvane\\QORV]\r\n"
      "\"DISCROOT\"=\"D:\\\\disc\"\r\n"
      "\"Count\"=dword:00000002\r\n";
  std::string utf16 = "\xFF\xFE";
  for (char c : ascii) utf16 += std::string{c, '\0'};
  test::ScopedEnvironment file("QORV_REGISTRY_FILE", dir.write("qorv.reg", utf16));
  DescriptionFiles f;
  // The name is found in another letter case; a dword value is undefined.
  std::string err = f.load_text("[Input]\nDvdRoot = \"${DiscRoot}\"\nLDRFileName = \"${Count}\"\n");
  EXPECT_EQ(err, f.warning_at(3, "Count undefined."));
  EXPECT_EQ(*f.layer_text(0, key::Input, key::DvdRoot), "D:\\disc");
}

TEST(Parser, FailedHeaderInALaterFileKeepsTheEarlierSection) {
  DescriptionFiles f;
  std::string one = f.write("one.ddf", "[Input]\n");
  std::string two = f.write("two.ddf", "[DvdRoot]\nLDRFileName = \"x\"\n");
  std::string err = f.load({one, two, f.write("required.ddf", test::kRequiredKeys)});
  // No 1000: the section of file 1 is still current, and takes the key.
  EXPECT_EQ(err, "Error:" + two + ", 1: Section name [DvdRoot] is invalid.\n");
  ASSERT_NE(f.layer_text(0, key::Input, key::LDRFileName), nullptr);
}

}  // namespace
}  // namespace qorv
