// What only the Windows host has: the user's registry key behind ${NAME},
// names and messages in the ANSI code page (932 here: the tests run under a
// Japanese locale), links that Windows shows as reparse points, and its own
// path rules.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "e2e/hostile_disc.h"
#include "host/environment.h"
#include "host/host_path.h"

namespace qorv::test {
namespace {

// Creates `name` (UTF-16) in `dir` holding four bytes.
void write_wide(const std::string &dir, const std::wstring &name) {
  std::wstring path = std::wstring(dir.begin(), dir.end()) + L"\\" + name;
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD written;
  ::WriteFile(h, "1234", 4, &written, nullptr);
  ::CloseHandle(h);
}

TEST(WindowsHost, RegistryValuesOfTheUserKey) {
  const std::string key = "reg add HKCU\\SOFTWARE\\Kelvane\\QORV /f /v ";
  ASSERT_EQ(std::system((key + "Studio /t REG_SZ /d \"Example Studio\" >NUL").c_str()), 0);
  ASSERT_EQ(std::system((key + "Count /t REG_DWORD /d 2 >NUL").c_str()), 0);
  HostileDisc disc;
  // Names are found in any letter case; a value that is not a text is undefined.
  RunResult r = disc.run("[DiskID]\nDiskInfo = \"${STUDIO}\"\nGameName = \"${count}\"\n");
  std::system("reg delete HKCU\\SOFTWARE\\Kelvane /f >NUL 2>NUL");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "Warning:" + disc.at("over.ddf") + ", 3: count undefined.\n" + kBaseMessages);
  EXPECT_EQ(read_file(disc.at("out/sys.bin")).substr(0x20, 15), std::string("Example Studio\0", 15));
}

TEST(WindowsHost, CodePage932NamesAndMessages) {
  ASSERT_EQ(::GetACP(), 932u);
  EXPECT_TRUE(host_prefers_japanese());
  HostileDisc disc;
  const std::string root = disc.at("root");
  // Ｂ is 82 61 and ａ 82 81; upper-cased, ａ becomes Ａ (82 60), so it comes
  // first. ソ (83 5C) holds no backslash. ā has no form in code page 932:
  // refused, naming the file.
  for (const wchar_t *name : {L"\uFF22.bin", L"\uFF41.bin", L"\u30BD.bin", L"\u0101.bin"}) write_wide(root, name);
  RunResult r = disc.run();
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "  mode=ZEM\n\nError: " + root + "\\?.bin has a name that the ANSI code page cannot hold.\n");

  ::DeleteFileW((std::wstring(root.begin(), root.end()) + L"\\\u0101.bin").c_str());
  // DiskInfo: 63 bytes and あ (82 A0), which does not fit whole into 64.
  r = disc.run("[DiskID]\nDiskInfo = \"" + std::string(63, 'a') + "\x82\xA0\"\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(disc.dlf(), disc.expected_dlf({{0x20000, root + "\\\x82\x81.bin"},
                                           {0x20004, root + "\\\x82\x61.bin"},
                                           {0x20008, root + "\\\x83\x5C.bin"}},
                                          0x2002C));
  EXPECT_EQ(read_file(disc.at("out/sys.bin")).substr(0x20, 64), std::string(63, 'a') + '\0');

  // Messages in code page 932: 1019 is "%s が存在しません".
  RunState state;
  r = run_tool({disc.base(), disc.dir().write("j.ddf", "[Input]\nDvdRoot = \"nowhere\"\n")}, state,
               Language::Japanese);
  EXPECT_EQ(r.err, "  mode=ZEM\n\nError: nowhere \x82\xAA\x91\xB6\x8D\xDD\x82\xB5\x82\xDC\x82\xB9\x82\xF1\n");
}

TEST(WindowsHost, LinksBackIntoTheTreeAreReportedInSiblingOrder) {
  const char *links = std::getenv("QORV_TEST_LINKS");
  ASSERT_NE(links, nullptr);
  const std::string root = std::string(links) + "\\root";
  HostileDisc disc;
  RunResult r = disc.run("[Input]\nDvdRoot = \"" + root + "\"\n");
  // A.BIN, LOOP (the root itself), SUB: FILE-LINK (a file), UP (the root).
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "  mode=ZEM\n\nError: Cannot find " + root + "\\loop.\nError: Cannot find " + root + "\\sub\\up.\n");
}

TEST(WindowsHost, OutputsByWhatTheyLeadTo) {
  // A pipe whose reader waits: writing to it could block for ever.
  const std::string pipe = "\\\\.\\pipe\\qorv-test-output";
  HANDLE server = ::CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  // A file not there yet, named through the root's link back to itself.
  const std::string root = std::string(std::getenv("QORV_TEST_LINKS")) + "\\root", looped = root + "\\LOOP\\New.dlf";
  const std::pair<std::string, std::string> cases[] = {
      {"SystemFileName = \"NUL\"\n", ""},
      {"ConfigFileName = \"" + pipe + "\"\n", pipe + " is not a file."},
      {"LayoutFileName = \"" + root + "\\new.dlf\"\nSystemFileName = \"" + looped + "\"\n",
       looped + " is used for more than one output file."},
  };
  for (const auto &[overrides, error] : cases) {
    HostileDisc disc;
    RunResult r = disc.run("[Output]\n" + overrides);
    EXPECT_EQ(r.status, error.empty() ? 0 : -1) << overrides;
    EXPECT_EQ(r.err, kBaseMessages + (error.empty() ? "" : "Error: " + error + "\n")) << overrides;
  }
  ::CloseHandle(server);
}

TEST(WindowsHost, PathRules) {
  // Description paths stay as written; -a takes the system's full path.
  EXPECT_EQ(host_path_from_description("..\\disc/root"), "..\\disc/root");
  EXPECT_EQ(join_host_path("C:\\", "a.bin"), "C:\\\\a.bin");
  EXPECT_EQ(absolute_path_text("C:\\a\\.\\b\\..\\c\\"), "C:\\a\\c\\");
  EXPECT_EQ(absolute_path_text("x"), current_directory() + "\\x");
  const std::string deep = "C:\\" + std::string(300, 'd') + "\\..\\e";
  EXPECT_EQ(absolute_path_text(deep), "C:\\e");  // no 260-byte limit
  // Two spellings of one path, letter case included.
  EXPECT_EQ(normal_path_text("C:\\Out\\A.dlf"), normal_path_text("c:/out/./a.DLF"));
  EXPECT_NE(normal_path_text("C:\\out\\a.dlf"), normal_path_text("C:\\out\\b.dlf"));
}

}  // namespace
}  // namespace qorv::test
