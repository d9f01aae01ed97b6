#include "ddf/description_loader.h"

#include <gtest/gtest.h>

#include <random>

#include "ddf/load_fixture.h"

namespace qorv {
namespace {

using test::DescriptionFiles;
using test::kAllMissing;

// The required keys without the two that HT mode does not need.
std::string without_zem_keys() {
  std::string text = test::kRequiredKeys;
  for (const char *line : {"ZEMSysFileName = \"zem\"\n", "ConfigFileName = \"cfg\"\n"})
    text.erase(text.find(line), std::string(line).size());
  return text;
}

TEST(DescriptionLoader, MissingFileAloneReportsItAndEveryRequiredKey) {
  DescriptionFiles f;
  std::string name = f.dir.at("missing.ddf");
  EXPECT_EQ(f.load({name}), "Error:" + name + ", 0: File open error.\n" + kAllMissing);
  EXPECT_EQ(f.run.error_count, 17);
  EXPECT_FALSE(f.run.is_ht());
}

TEST(DescriptionLoader, DirectoryCannotBeOpenedAndTheNextFileIsRead) {
  DescriptionFiles f;
  std::string dir = f.dir.mkdir("sub.ddf");
  std::string err = f.load({dir, f.write("required.ddf", test::kRequiredKeys)});
  EXPECT_EQ(err, "Error:" + dir + ", 0: File open error.\n");
  EXPECT_EQ(f.run.error_count, 1);
}

// `text` with `line` put in front of the first line that starts with `before`.
std::string with_line(std::string text, const std::string &before, const std::string &line) {
  text.insert(text.find(before), line);
  return text;
}

TEST(DescriptionLoader, LayersOverrideKeyByKey) {
  DescriptionFiles f;
  std::string one = f.write("one.ddf", with_line(test::kRequiredKeys, "LayoutFileName", "Mode = ht\n"));
  std::string two = f.write("two.ddf", "[Input]\nBootFileName = \"two\"\n[Output]\nMode = ZEM\n");
  std::string three = f.write("three.ddf", "[Input]\nDvdRoot = \"three\"\n");
  EXPECT_EQ(f.load({one, two, three}), "");
  EXPECT_EQ(*find_text(f.run.store, key::Input, key::DvdRoot), "three");
  // Only in file 1, though files 2 and 3 have an [Input] section.
  EXPECT_EQ(*find_text(f.run.store, key::Input, key::LDRFileName), "ldr");
  EXPECT_EQ(*find_text(f.run.store, key::Input, key::BootFileName), "two");
  EXPECT_FALSE(f.run.is_ht());  // file 2's ZEM wins over file 1's HT
}

TEST(DescriptionLoader, EmptyFirstNameSkipsLayerOne) {
  DescriptionFiles f;
  std::string two = f.write("two.ddf", test::kRequiredKeys);
  EXPECT_EQ(f.load({"", two}), "");
  EXPECT_TRUE(f.run.store.layers[0].sections.empty());
  EXPECT_NE(find_section(f.run.store.layers[1], key::Input), nullptr);
}

TEST(DescriptionLoader, ModeRules) {
  struct Case {
    std::string output;  // lines of [Output]
    bool ht, advanced;
    std::string err;
  };
  const std::string warning = "Warning: Advanced ZEM, FST, cannot defined with HT mode.\n";
  const Case cases[] = {
      {"", false, false, ""},
      {"Mode = ht\n", true, false, ""},
      {"Mode = \"HT\"\n", false, false, "syntax error"},  // refused, so ZEM
      {"Mode = HT\nFST = new\n", true, false, warning},
      {"FST = NEW\n", false, true, ""},
      {"FST = \"New\"\n", false, true, ""},
      {"FST = old\n", false, false, ""},
      {"Mode = 1\n", false, false, ""},  // a number never selects HT
  };
  for (const Case &c : cases) {
    DescriptionFiles f;
    std::string err = f.load({f.write("mode.ddf", "[Output]\n" + c.output), "",
                              f.write("required.ddf", test::kRequiredKeys)});
    if (c.err == "syntax error")
      EXPECT_EQ(err, "Error:" + f.dir.at("mode.ddf") + ", 2: syntax error\n") << c.output;
    else
      EXPECT_EQ(err, c.err) << c.output;
    EXPECT_EQ(f.run.is_ht(), c.ht) << c.output;
    EXPECT_EQ(f.run.advanced_fst, c.advanced) << c.output;
  }
}

TEST(DescriptionLoader, HtModeDoesNotRequireTheZemKeys) {
  DescriptionFiles f;
  EXPECT_EQ(f.load({f.write("ht.ddf", with_line(without_zem_keys(), "LayoutFileName", "Mode = HT\n"))}), "");
  EXPECT_TRUE(f.run.is_ht());
  DescriptionFiles z;
  EXPECT_EQ(z.load({z.write("zem.ddf", without_zem_keys())}),
            "Error: [Input] ZEMSysFileName is undefined.\nError: [Output] ConfigFileName is undefined.\n");
}

TEST(DescriptionLoader, RequiredKeyCheckLooksAtPresenceOnly) {
  DescriptionFiles f;
  std::string only_two = f.write("two.ddf", "[Input]\nDvdRoot = \"\"\n");
  std::string rest = test::kRequiredKeys;
  rest.erase(rest.find("DvdRoot = \"root\"\n"), std::string("DvdRoot = \"root\"\n").size());
  EXPECT_EQ(f.load({f.write("one.ddf", rest), only_two}), "");
}

TEST(DescriptionLoader, BinaryJunkEndsInMessages) {
  // Random bytes, and random runs of the language's own pieces.
  const char *pieces[] = {"[", "]", "Input", "Layout", "LbaOrigin", "Mode", "DvdRoot", "Arguments", "=",
                          ",", ":", "+", "-", "\"", "\"x/y\"", "0x", "12", "-3", ";", "$(", "${", ")",
                          "}", "\n", " ", "\r\n", "\xFF", "@", "L", "mirror", "copy"};
  for (unsigned seed = 1; seed <= 20; ++seed) {
    std::mt19937 random(seed);
    std::string junk;
    if (seed % 2) {
      for (int i = 0; i < 64 * 1024; ++i) junk += static_cast<char>(random() & 0xFF);
    } else {
      for (int i = 0; i < 20000; ++i) junk += pieces[random() % std::size(pieces)];
    }
    DescriptionFiles f;
    std::string err = f.load_text(junk);
    // Every line printed is a located error or warning of test.ddf.
    size_t start = 0;
    while (start < err.size()) {
      size_t end = err.find('\n', start);
      ASSERT_NE(end, std::string::npos);
      std::string line = err.substr(start, end - start);
      EXPECT_TRUE(line.starts_with("Error:" + f.path + ", ") || line.starts_with("Warning:" + f.path + ", "))
          << line;
      start = end + 1;
    }
  }
}

TEST(DescriptionLoader, MegabyteLineIsKeptWhole) {
  DescriptionFiles f;
  std::string value(1 << 20, 'v');
  EXPECT_EQ(f.load_text("[Input]\nDvdRoot = \"" + value + "\"\n"), "");
  EXPECT_EQ(*f.layer_text(0, key::Input, key::DvdRoot), value);
  DescriptionFiles g;
  EXPECT_EQ(g.load_text(std::string(1 << 20, 'w') + "\n"), g.error_at(1, "syntax error"));
}

TEST(DescriptionLoader, MillionLines) {
  DescriptionFiles f;
  std::string text = "[Input]\n";
  for (int i = 0; i < 1000000; ++i) text += i % 2 ? "; remark\n" : "\n";
  text += "DvdRoot =\n";  // line 1000002, with no value before the end
  EXPECT_EQ(f.load_text(text), f.error_at(1000002, "syntax error"));

  // A long list in one definition, over 100000 lines.
  DescriptionFiles g;
  std::string list = "[BI2]\nArguments = \"0\"";
  for (int i = 1; i < 100000; ++i) list += ",\n\"" + std::to_string(i) + "\"";
  EXPECT_EQ(g.load_text(list + "\n"), "");
  auto *args = dynamic_cast<const StringListEntry *>(g.layer_entry(0, key::BI2, key::Arguments));
  ASSERT_NE(args, nullptr);
  EXPECT_EQ(args->values.size(), 100000u);
  EXPECT_EQ(args->values.back(), "99999");
  EXPECT_EQ(args->line, 100001);
}

}  // namespace
}  // namespace qorv
