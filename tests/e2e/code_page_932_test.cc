// Japanese names on the disc in code page 932 (QORV_DISC_CODE_PAGE=932): the
// same system file from a UTF-8 host as from the Windows host, description
// files read as a Japanese Windows host saves them or as UTF-8, what the
// code page cannot hold refused before anything is written, and QorvImage
// showing the names as they were written.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "e2e/hostile_disc.h"
#include "host/code_page_932.h"

namespace qorv::test {
namespace {

// Sets QORV_DISC_CODE_PAGE for one run ("" leaves it unset).
struct DiscCodePageSetting {
  explicit DiscCodePageSetting(const std::string &value) {
    if (value.empty())
      unset_environment("QORV_DISC_CODE_PAGE");
    else
      set_environment("QORV_DISC_CODE_PAGE", value);
  }
  ~DiscCodePageSetting() { unset_environment("QORV_DISC_CODE_PAGE"); }
};

// Makes the file `relative` (UTF-8, "/" between folders) of 4 bytes. The
// Windows host takes the name in UTF-16: its narrow calls would split a
// name at the 0x5C of ソ.
void make_file(const TempDir &dir, const std::string &relative) {
  if (!test::kWindowsHost) {
    dir.write(relative, "1234");
    return;
  }
  const std::filesystem::path path =
      std::filesystem::path(dir.path()) / std::filesystem::path(std::u8string(relative.begin(), relative.end()));
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << "1234";
}

std::string code_page_932(const std::string &utf8) {
  std::string out;
  CodePage932::get().encode(utf8, out);
  return out;
}

uint64_t fnv1a(const std::string &bytes) {
  uint64_t h = 0xcbf29ce484222325u;
  for (unsigned char b : bytes) h = (h ^ b) * 0x100000001b3u;
  return h;
}

// Hiragana, katakana whose trail byte is 0x5C (ソ 83 5C, 表 95 5C),
// full-width letters and half-width katakana; files of 4 bytes.
const std::vector<std::string> kTree{"data.bin", "ａｂｃ.dat", "ＡＢＤ.dat", "あいう.txt",
                                     "表.bin",   "ソフト/表示.bin", "ｶﾀｶﾅ.bin"};

// "???.txt" takes three characters; "*\*" only names below a folder (the
// 0x5C of 表.bin is no separator); "ａｂＣ.dat" names ａｂｃ.dat in another
// case (exact names ignore the code page's letter case, patterns only
// A-Z's); the [PathList] FST dir 追加\表 is two folders. The info text fits
// 64 bytes in code page 932 (62 + 2), not in UTF-8 (62 + 3).
std::string description(const HostileDisc &disc) {
  return "[DiskID]\nDiskInfo = \"" + std::string(62, 'i') + "あ\"\n"
         "[LayoutOff]\n\"???.txt\"\n"
         "[LbaAlign]\n0 = \"*\\*\", 0x100\n"
         "[Layout]\n0 = \"ｶﾀｶﾅ.bin\", -1\n"
         "[LbaOrigin]\n0x30000 = \"ａｂＣ.dat\", +\n"
         "[PathList]\nextra = \"追加\\表\", \"" + disc.at("graft") + "\"\n";
}

// QorvImage run as a process (not built on the Windows host); its standard
// output, and its diagnostics in `err`.
std::string run_image_tool(const HostileDisc &disc, const std::string &args, std::string &err) {
  const std::string out = disc.at("listing.txt"), diag = disc.at("diag.txt");
  std::system(("'" + std::string(QORV_IMAGE_BINARY) + "' " + args + " >'" + out + "' 2>'" + diag + "'").c_str());
  err = read_file(diag);
  return read_file(out);
}

// `list` and `list --json` of the system file show the names as the host
// wrote them, whichever encoding the disc has; a name in neither encoding
// is shown in bytes, with a warning; `map` shows the top-level folders.
void check_listing(const HostileDisc &disc, bool cp932) {
  const std::string system = "'" + disc.at("out/sys.bin") + "'";
  std::set<std::string> paths{"/",           "/data.bin",  "/ａｂｃ.dat",  "/ＡＢＤ.dat",      "/ソフト/",      "/ソフト/表示.bin",
                              "/表.bin",     "/ｶﾀｶﾅ.bin", "/追加/",      "/追加/表/",        "/追加/表/ヲ.bin"};
  if (!cp932) paths.insert("/あいう.txt");  // "???.txt" takes three bytes in UTF-8
  std::string err;
  const std::string listed = run_image_tool(disc, "list " + system, err);
  EXPECT_EQ(err, "");
  for (const std::string &path : paths) EXPECT_NE(listed.find("  " + path + "\n"), std::string::npos) << path << listed;
  const std::string json = run_image_tool(disc, "list --json " + system, err);
  EXPECT_TRUE(is_valid_utf8(json));
  for (const std::string &path : paths) EXPECT_NE(json.find("\"path\":\"" + path + "\""), std::string::npos) << path;
  const std::string map = run_image_tool(disc, "map '" + disc.at("out/disc.dlf") + "'", err);
  EXPECT_NE(map.find("\n  ソフト/ "), std::string::npos) << map << err;
  EXPECT_NE(map.find("\n  追加/ "), std::string::npos) << map;
  if (!cp932) return;

  // data.bin as data.bi and a lead byte without its trail byte: no UTF-8,
  // no code page 932 either.
  std::string bytes = read_file(disc.at("out/sys.bin"));
  bytes[bytes.find(std::string("data.bin\0", 9)) + 7] = '\x81';
  const std::string bad = disc.at("bad.bin");
  write_file(bad, bytes);
  struct Case {
    std::string args, shown, warning;
  };
  const std::string decode = ": the bytes that do not are shown as \\xNN (in JSON as U+FFFD)\n";
  const std::string neither = "Warning: the names in " + bad +
                              " are neither UTF-8 nor code page 932: their bytes beyond ASCII are shown as "
                              "\\xNN (in JSON as U+FFFD)\n";
  const std::vector<Case> cases{
      {"list '" + bad + "'", "  /data.bi\\x81\n", neither},
      {"list '" + bad + "'", "  /\\x83\\x5C\\x83t\\x83g/\\x95\\x5C\\x8E\\xA6.bin\n", neither},
      {"list --json '" + bad + "'", "\"path\":\"/data.bi\uFFFD\"", neither},
      {"list --code-page 932 '" + bad + "'", "  /ソフト/表示.bin\n",
       "Warning: 1 of the names in " + bad + " do not decode as code page 932" + decode},
      {"list --code-page utf-8 " + system, "  /\\x95\\x5C.bin\n",
       "Warning: 9 of the names in " + disc.at("out/sys.bin") + " do not decode as UTF-8" + decode},
      {"list --code-page bytes " + system, "  /\\xB6\\xC0\\xB6\\xC5.bin\n", ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.args);
    const std::string out = run_image_tool(disc, c.args, err);
    EXPECT_NE(out.find(c.shown), std::string::npos) << out;
    EXPECT_EQ(err, c.warning);
  }
}

struct Scenario {
  const char *setting;
  enum { HostText, Utf8, Utf8WithMark, CodePage932 } file;
  bool posix_only;
  const char *name_table;  // the FST's names, in FST order
  const char *warnings;
};

TEST(CodePage932, JapaneseTreeInBothModes) {
  // With code page 932, FST order upper-cases ａ to Ａ (82 60 < 82 A0 of
  // あ, 83 5C of ソ, 95 5C of 表, B6 of ｶ); あいう.txt is left off; the
  // grafted 追加\表\ヲ.bin follows the tree.
  const char *disc_932 =
      "data.bin|\x82\x81\x82\x82\x82\x83.dat|\x82\x60\x82\x61\x82\x63.dat|\x83\x5C\x83\x74\x83\x67|"
      "\x95\x5C\x8E\xA6.bin|\x95\x5C.bin|\xB6\xC0\xB6\xC5.bin|\x92\xC7\x89\xC1|\x95\x5C|\x83\x92.bin|";
  // UTF-8 as the host spells it: only a-z fold, bytes order the rest.
  const char *disc_utf8 =
      "data.bin|あいう.txt|ソフト|表示.bin|表.bin|ＡＢＤ.dat|ａｂｃ.dat|ｶﾀｶﾅ.bin|追加|表|ヲ.bin|";
  const std::vector<Scenario> scenarios{
      {"", Scenario::HostText, false, test::kWindowsHost ? disc_932 : disc_utf8,
       test::kWindowsHost ? "" : "Warning:over.ddf, 10: Cannot find ａｂＣ.dat.\n"},
      {"932", Scenario::HostText, false, disc_932, ""},
      {"932", Scenario::CodePage932, false, disc_932, ""},
      {"utf-8", Scenario::Utf8WithMark, true, disc_utf8, "Warning:over.ddf, 10: Cannot find ａｂＣ.dat.\n"},
      {"932", Scenario::Utf8WithMark, true, disc_932, ""},
  };
  for (const Scenario &s : scenarios) {
    if (s.posix_only && test::kWindowsHost) continue;
    SCOPED_TRACE(std::string(s.setting) + " " + std::to_string(s.file));
    HostileDisc disc;
    for (const std::string &name : kTree) make_file(disc.dir(), "root/" + name);
    make_file(disc.dir(), "graft/ヲ.bin");
    const std::string text = description(disc);
    const std::string file = s.file == Scenario::CodePage932    ? code_page_932(text)
                             : s.file == Scenario::Utf8WithMark ? "\xEF\xBB\xBF" + text
                                                                : host_text(text);
    DiscCodePageSetting setting(s.setting);
    RunResult r = disc.run_with_file(disc.dir().write("over.ddf", file));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string system = read_file(disc.at("out/sys.bin"));
    const RunState &state = disc.state();
    std::string names = system.substr(state.fst_position + state.fst_entries_size, state.fst_names_size);
    for (char &c : names)
      if (c == '\0') c = '|';
    while (names.ends_with("||")) names.pop_back();  // padding to 4
    const bool cp932 = s.name_table == disc_932;
    EXPECT_EQ(names, cp932 ? std::string(disc_932) : host_text(disc_utf8));
    if (!test::kWindowsHost) check_listing(disc, cp932);
    std::string warnings = s.warnings;
    if (!warnings.empty()) warnings = "Warning:" + disc.at("over.ddf") + warnings.substr(16);
    EXPECT_EQ(r.err, "  mode=ZEM\n\n" + host_text(warnings) + kBaseUserArea);
    // あ fits whole only in code page 932.
    EXPECT_EQ(system.substr(0x20 + 62, 2), cp932 ? "\x82\xA0" : std::string(2, '\0'));
    if (!cp932) continue;
    // Disc order: ｶﾀｶﾅ.bin first ([Layout] -1), then FST order, each file
    // below a folder aligned to 0x100; a gap marker ends the stretch before
    // ａｂｃ.dat at its [LbaOrigin] 0x30000; closing 0x30004 + 32.
    const std::string sep = test::kWindowsHost ? "\\" : "/";
    const std::string root = disc.at("root") + sep;
    EXPECT_EQ(disc.dlf(), disc.expected_dlf({{0x20000, root + host_text("ｶﾀｶﾅ.bin")},
                                             {0x20004, root + "data.bin"},
                                             {0x20008, root + host_text("ＡＢＤ.dat")},
                                             {0x20100, root + host_text("ソフト") + sep + host_text("表示.bin")},
                                             {0x20104, root + host_text("表.bin")},
                                             {0x20200, disc.at("graft") + sep + host_text("ヲ.bin")},
                                             {0x20204, ""},
                                             {0x30000, root + host_text("ａｂｃ.dat")}},
                                            0x30024));
    // The whole system file, the same on both hosts.
    EXPECT_EQ(fnv1a(system), 10441840376359236290u);
  }
}

// Each refusal comes before any output is written, and the run fails.
TEST(CodePage932, WhatTheCodePageCannotHoldIsRefused) {
  struct Case {
    const char *setting;
    std::vector<std::string> names;  // files made in the disc root (UTF-8)
    std::string description;         // the second description file, as bytes
    std::string errors;              // after "  mode=ZEM\n\n" when the description loads
    bool posix_only;
  };
  const std::string root = "<root>";
  const std::vector<Case> cases{
      {"foo", {}, "", "Error: QORV_DISC_CODE_PAGE=foo names no code page this tool knows (utf-8 or 932).\n", false},
      // Refused in sibling order; the scan goes on and fails at its end.
      {"932", {"\U0001F600.bin", "a.bin", "\u00A9.bin", "b\xFF.bin"}, "",
       "  mode=ZEM\n\nError: <root>/\u00A9.bin has a name that the ANSI code page cannot hold.\n"
       "Error: <root>/\U0001F600.bin has a name that the ANSI code page cannot hold.\n"
       "Error: <root>/b\xFF.bin has a name that the ANSI code page cannot hold.\n",
       true},
      // Equal once converted and upper-cased: ａ and Ａ (Windows holds one of
      // them only).
      {"932", {"\uFF41.bin", "\uFF21.bin"}, "",
       "  mode=ZEM\n\nError: <root>/\uFF21.bin and <root>/\uFF41.bin differ only in letter case.\n",
       true},
      // A line in code page 932 after UTF-8 ones, and the other way round.
      {"932", {}, "[DiskID]\nDiskInfo = \"\u3042\"\nGameName = \"\x82\xA0\"\n",
       "Error:<over>, 3: this line is not UTF-8, as the lines before it are (save the file in one encoding)\n", true},
      {"932", {}, "; \x82\xA0\n[DiskID]\nDiskInfo = \"\u3042\"\n",
       "Error:<over>, 3: this line is UTF-8, the lines before it code page 932 (save the file in one encoding)\n",
       true},
      {"932", {}, "[DiskID]\nDiskInfo = \"\u00A9\"\n[LayoutOff]\n\"\U0001F600\"\n",
       "Error:<over>, 2: \u00A9 has a character that code page 932 cannot hold.\n"
       "Error:<over>, 4: \U0001F600 has a character that code page 932 cannot hold.\n",
       true},
  };
  for (const Case &c : cases) {
    if (c.posix_only && test::kWindowsHost) continue;
    SCOPED_TRACE(c.errors);
    HostileDisc disc;
    for (const std::string &name : c.names) make_file(disc.dir(), "root/" + name);
    DiscCodePageSetting setting(c.setting);
    RunResult r = disc.run(c.description);
    EXPECT_EQ(r.status, -1);
    std::string expected = host_text(c.errors);
    for (auto [mark, path] : {std::pair{std::string("<root>/"), disc.at("root") + (test::kWindowsHost ? "\\" : "/")},
                              std::pair{std::string("<over>"), disc.at("over.ddf")}})
      for (size_t at; (at = expected.find(mark)) != std::string::npos;) expected.replace(at, mark.size(), path);
    EXPECT_EQ(r.err, expected);
    EXPECT_FALSE(disc.wrote("disc.dlf") || disc.wrote("sys.bin"));
  }
}

}  // namespace
}  // namespace qorv::test
