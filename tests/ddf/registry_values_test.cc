#include "ddf/registry_values.h"

#include <gtest/gtest.h>

#include "ddf/load_fixture.h"

namespace qorv {
namespace {

using Values = std::vector<std::pair<std::string, std::string>>;

Values pairs(std::string_view bytes) {
  Values out;
  for (RegistryValue &v : parse_registry_export(bytes)) out.emplace_back(v.name, v.text);
  return out;
}

// ASCII text as UTF-16LE with a byte-order mark, as the registry editor writes.
std::string utf16le(std::string_view ascii) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

TEST(RegistryValues, PlainTextValuesUnderTheToolKey) {
  EXPECT_EQ(pairs("REGEDIT4\n"
                  "[HKEY_CURRENT_USER\\SOFTWARE\\Other]\n"
                  "\"Root\"=\"elsewhere\"\n"
                  "[hkey_current_user\\software\\kelvane\\qorv]\n"
                  "\"Root\"=\"C:\\\\work \\\"q\\\" \\n\"\n"
                  "@=\"default\"\n"
                  "\"Count\"=dword:00000001\n"
                  "\"Gone\"=-\n"
                  "\"Bin\"=hex:01,02,\\\n"
                  "  \"03\"=\"not a value\"\n"
                  "\"Last\"=\"x\"\n"),
            (Values{{"Root", "C:\\work \"q\" \\n"}, {"", "default"}, {"Last", "x"}}));
}

TEST(RegistryValues, HeaderDecidesWhetherTheFileHoldsValues) {
  const char *body = "\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Kelvane\\QORV]\r\n\"A\"=\"1\"\r\n";
  EXPECT_EQ(pairs(std::string("Windows Registry Editor Version 5.00") + body), (Values{{"A", "1"}}));
  EXPECT_EQ(pairs(std::string("\xEF\xBB\xBFREGEDIT4") + body), (Values{{"A", "1"}}));
  EXPECT_EQ(pairs(std::string("REGEDIT5") + body), Values{});
  EXPECT_EQ(pairs(body), Values{});
  EXPECT_EQ(pairs(""), Values{});
}

TEST(RegistryValues, Utf16LittleEndianExport) {
  std::string text = utf16le(
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\SOFTWARE\\Kelvane\\QORV]\r\n"
      "\"DiscRoot\"=\"D:\\\\disc\"\r\n");
  text.resize(text.size() - 4);  // without the final CR LF
  EXPECT_EQ(pairs(text), (Values{{"DiscRoot", "D:\\disc"}}));
  // U+00E9 and U+1F600 (a surrogate pair) become UTF-8: C3 A9, F0 9F 98 80.
  std::string accent = utf16le("REGEDIT4\n[HKEY_CURRENT_USER\\SOFTWARE\\Kelvane\\QORV]\n\"N\"=\"");
  accent += std::string("\xE9\x00\x3D\xD8\x00\xDE", 6);
  accent += utf16le("\"\n").substr(2);
  EXPECT_EQ(pairs(accent), (Values{{"N", "\xC3\xA9\xF0\x9F\x98\x80"}}));
}

TEST(RegistryValues, ValueOf4096BytesEndsTheList) {
  std::string head = "REGEDIT4\n[HKEY_CURRENT_USER\\SOFTWARE\\Kelvane\\QORV]\n\"A\"=\"a\"\n";
  std::string fits = "\"B\"=\"" + std::string(4095, 'b') + "\"\n";
  std::string too_long = "\"C\"=\"" + std::string(4096, 'c') + "\"\n";
  std::string long_name = "\"" + std::string(4096, 'n') + "\"=dword:1\n";
  EXPECT_EQ(pairs(head + fits).size(), 2u);
  EXPECT_EQ(pairs(head + too_long + "\"D\"=\"d\"\n"), (Values{{"A", "a"}}));
  // The name of a skipped value counts; a deletion does not.
  EXPECT_EQ(pairs(head + long_name + "\"D\"=\"d\"\n"), (Values{{"A", "a"}}));
  std::string long_deletion = "\"" + std::string(4096, 'n') + "\"=-\n";
  EXPECT_EQ(pairs(head + long_deletion + "\"D\"=\"d\"\n"), (Values{{"A", "a"}, {"D", "d"}}));
}

TEST(RegistryValues, FirstMatchIgnoringCaseWins) {
  std::vector<RegistryValue> values = {{"Root", "one"}, {"ROOT", "two"}, {"", "default"}};
  EXPECT_EQ(find_registry_value(values, "root"), "one");
  EXPECT_EQ(find_registry_value(values, ""), "default");
  EXPECT_EQ(find_registry_value(values, "Roo"), std::nullopt);
}

TEST(RegistryValues, EverySectionWithTheToolKeyContributes) {
  EXPECT_EQ(pairs("REGEDIT4\n[HKEY_CURRENT_USER\\SOFTWARE\\Kelvane\\QORV]\n\"A\"=\"1\"\n"
                  "[HKEY_CURRENT_USER\\SOFTWARE\\Kelvane\\QORV\\Sub]\n\"B\"=\"2\"\n"
                  "  [HKEY_CURRENT_USER\\SOFTWARE\\Kelvane\\QORV]  \n  \"C\" = \"3\"  \n"),
            (Values{{"A", "1"}, {"C", "3"}}));
}

TEST(RegistryValues, ReadFromTheHostExportFile) {
  if (test::kWindowsHost) GTEST_SKIP() << "Windows reads its registry";
  test::TempDir dir;
  std::string path = dir.write("q.reg", "REGEDIT4\n[HKEY_CURRENT_USER\\SOFTWARE\\Kelvane\\QORV]\n\"A\"=\"1\"\n");
  test::ScopedEnvironment file("QORV_REGISTRY_FILE", path);
  ASSERT_EQ(read_registry_values().size(), 1u);
  test::ScopedEnvironment missing("QORV_REGISTRY_FILE", dir.at("none.reg"));
  EXPECT_TRUE(read_registry_values().empty());
}

}  // namespace
}  // namespace qorv
