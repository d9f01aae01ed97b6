// Whole runs of the tool on small description files: the messages of the
// description language, each at its file and line, and the exit status.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "support/description_texts.h"
#include "support/run_tool.h"
#include "support/test_support.h"

namespace qorv {
namespace {

using test::kAllMissing;
using test::kRequiredKeys;
using test::run_tool;

TEST(DescriptionLanguage, MissingFileAlone) {
  test::TempDir dir;
  std::string name = dir.at("none.ddf");
  test::RunResult r = run_tool({name});
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "Error:" + name + ", 0: File open error.\n" + kAllMissing);
  EXPECT_EQ(r.out, "");
}

TEST(DescriptionLanguage, EveryParseMessageAtItsLine) {
  test::TempDir dir;
  test::set_environment("QORV_E2E_LOOP", "$(QORV_E2E_LOOP)");
  test::unset_environment("QORV_E2E_UNSET");
  std::string f = dir.write("all.ddf",
                            "[DvdRoot]\n"                       // 1: 1002
                            "Hash = 1\n"                        // 2: 1000
                            "[BI2]\n"
                            "CountryCode = xx\n"                // 4: 1003
                            "CountryCode = 7\n"                 // 5: 1006
                            "Arguments = \"-x\"\n"
                            "[Input]\n"
                            "LayoutFileName = \"a\"\n"          // 8: 1004
                            "DvdRoot = \"r\"\n"
                            "DvdRoot = \"r2\"\n"                // 10: 1024
                            "[Input]\n"                         // 11: 1001
                            "DvdRoot = 5\n"                     // 12: 1023
                            "[Output]\n"
                            "Mode = x\n"                        // 14: 1005
                            "[Layout]\n"
                            "1 = \"a\", 40000\n"                // 16: 1007
                            "[LbaOrigin]\n"
                            "0x8000 = \"a\", +\n"
                            "0x8000 = \"b\", -\n"               // 19: 1008
                            "0x9000 :: \"c\"\n"                 // 20: 1009
                            "[DiskID]\n"
                            "GameName = \"unterminated\n"       // 22: lexer
                            "DiskNumber = 0x\n"                 // 23: lexer
                            "DiskInfo = \"$(QORV_E2E_UNSET)\"\n"  // 24: undefined
                            "TotalDisk = $bad\n"                // 25: malformed
                            "Company = \"$(QORV_E2E_LOOP)\"\n"  // 26: too many
                            "Hash =\n");                        // 27: syntax error at the end
  std::string required = dir.write("required.ddf", kRequiredKeys);
  test::RunResult r = run_tool({f, required});
  test::unset_environment("QORV_E2E_LOOP");
  auto at = [&](const char *kind, int line, const std::string &text) {
    return std::string(kind) + ":" + f + ", " + std::to_string(line) + ": " + text + "\n";
  };
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, at("Error", 1, "Section name [DvdRoot] is invalid.") +
                       at("Error", 2, "is invalid definition. ([Section] is not defined.)") +
                       at("Error", 4, "Invalid definition. (Enter one of {jp|us|eu} in CountryCode.)") +
                       at("Error", 5, "Invalid definition. (Define 0|1|2 in CountryCode)") +
                       at("Error", 8, "Invalid definition. (LayoutFileName can not defined in [Input] Section)") +
                       at("Warning", 10, "DvdRoot is redefined.") +
                       at("Error", 11, "[Input] section is redefined.") + at("Error", 12, "syntax error") +
                       at("Error", 14, "Invalid definition. (Define ZEM|HT in Mode)") +
                       at("Error", 16, "<layout value> is out of range. (-32768 <= value <= 32767)") +
                       at("Error", 19, "LBA(0000000000008000) is redefined.") +
                       at("Error", 20, "LBA(0000000000009000) is undefined.") +
                       at("Error", 22, "string must be enclosed within \"") + at("Error", 23, "syntax error") +
                       at("Warning", 24, "QORV_E2E_UNSET undefined.") +
                       at("Error", 25, "description of $ is wrong") +
                       at("Error", 26, "too many variable references") + at("Error", 27, "syntax error"));
}

TEST(DescriptionLanguage, SyntaxErrorAtTheEndOfATwoLineFile) {
  test::TempDir dir;
  std::string f = dir.write("two.ddf", "[Input]\nDvdRoot =\n");
  test::RunResult r = run_tool({f, dir.write("required.ddf", kRequiredKeys)});
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "Error:" + f + ", 2: syntax error\n");
}

TEST(DescriptionLanguage, DirectoryAsDescriptionFile) {
  test::TempDir dir;
  std::string d = dir.mkdir("dir.ddf");
  test::RunResult r = run_tool({d, dir.write("required.ddf", kRequiredKeys)});
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "Error:" + d + ", 0: File open error.\n");
}

TEST(DescriptionLanguage, ModeRulesAndRequiredKeys) {
  test::TempDir dir;
  // HT with the extended FST: warning 1011; HT needs neither ZEMSysFileName
  // nor ConfigFileName, so only the removed DvdRoot is missing.
  std::string f = dir.write("ht.ddf",
                            "[Input]\nLDRFileName = \"l\"\nBI2FileName = \"b\"\nBootFileName = \"t\"\n"
                            "[Output]\nMode = ht\nFST = new\nLayoutFileName = \"a\"\nSystemFileName = \"s\"\n"
                            "[DiskID]\nGameName = \"G\"\nCompany = \"01\"\nDiskNumber = 0\nGameVersion = 0\n"
                            "DiskInfo = \"i\"\nTotalDisk = 1\n"
                            "[BB2]\nFSTEndAddress = 0x1000000\nFSTuserEnd = 0x1000000\n");
  test::RunResult r = run_tool({f});
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err,
            "Warning: Advanced ZEM, FST, cannot defined with HT mode.\n"
            "Error: [Input] DvdRoot is undefined.\n");
}

TEST(DescriptionLanguage, LayersAndTheModeLine) {
  test::TempDir dir;
  // Every path inside the scratch directory, the disc root missing: the run
  // gets past loading and stops in a later stage.
  std::string keys = kRequiredKeys;
  keys.replace(keys.find("\"root\""), 6, "\"" + dir.at("no-root") + "\"");
  for (const char *name : {"a.dlf", "sys", "cfg"}) {
    std::string quoted = std::string("\"") + name + "\"";
    keys.replace(keys.find(quoted), quoted.size(), "\"" + dir.at(name) + "\"");
  }
  std::string two = dir.write("two.ddf", keys);
  std::string three = dir.write("three.ddf", "[Output]\nMode = HT\n");
  RunState state;
  // An empty first name skips layer 1; file 3's Mode is the one found.
  test::RunResult r = run_tool({"", two, three}, state);
  EXPECT_EQ(state.store.layers[0].file_name, "");
  EXPECT_TRUE(state.store.layers[0].sections.empty());
  EXPECT_TRUE(state.is_ht());
  EXPECT_TRUE(r.err.starts_with("  mode=HT\n\n")) << r.err;
  EXPECT_EQ(r.status, -1);
}

TEST(DescriptionLanguage, ProgramExitsWith255) {
  std::string binary = QORV_BINARY;
  if (!test::file_exists(binary)) GTEST_SKIP() << "program not built";
  test::TempDir dir;
  // -1 shows as 255 on POSIX.
  EXPECT_EQ(test::run_quietly(binary + " " + dir.at("none.ddf")), test::kWindowsHost ? -1 : 255);
}

}  // namespace
}  // namespace qorv
