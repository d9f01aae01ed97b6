// QorvImage on the Windows host: the example's images under names of the
// ANSI code page (932 here) and past the 260-character path limit, the
// refusals with paths compared the Windows way, and Ctrl-C during a build.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <functional>

#include "support/example_disc.h"
#include "host/disc_file.h"
#include "host/environment.h"
#include "image/image_report.h"

namespace qorv::test {
namespace {

// A whole file read through the host layer, which takes paths of any length.
std::string read_whole(const std::string &path) {
  DiscFileReader file;
  if (!file.open(path)) return "(cannot open " + path + ")";
  std::string bytes(file.status().size, '\0');
  file.read_at(0, bytes.data(), bytes.size());
  return bytes;
}

std::wstring long_wide(const std::string &path) {
  return L"\\\\?\\" + std::wstring(path.begin(), path.end());  // the test's folders are ASCII
}

TEST(ImageWindows, BothModesUnderCodePageNamesAndLongPaths) {
  for (std::string mode : {"zem", "ht"}) {
    SCOPED_TRACE(mode);
    ExampleDisc disc(mode);
    ASSERT_TRUE(disc.made());
    // Two folders of 150 characters; the image's name ソ (83 5C) ends in
    // the byte of "\", and is still one name, not a folder.
    const std::string outer = disc.at(std::string(150, 'd')), deep = outer + "\\" + std::string(150, 'e');
    ASSERT_TRUE(::CreateDirectoryW(long_wide(outer).c_str(), nullptr) && ::CreateDirectoryW(long_wide(deep).c_str(), nullptr));
    const std::string image = deep + "\\\x83\x5C.img";
    RunResult r = run_image(disc.build_args(image));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Built " + image + ": "), std::string::npos) << r.err;
    const std::string expected = disc.direct_assembly();
    EXPECT_TRUE(read_whole(image) == expected);
    DiscFileStatus written = disc_file_status(image);
    EXPECT_LT(written.allocated, written.size / 4) << "the gaps are never written";
    r = run_image({"verify", "-C", disc.dir().path(), disc.dlf(), image});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(run_image({"list", image}).out, run_image({"list", disc.at("out/" + mode + "_system.bin")}).out);

    // Without -o the image takes the DLF's name, with the DLF's whole name
    // of the code page before ".img".
    const std::string dlf = disc.at("out/\x83\x5C" + mode + ".dlf");
    ASSERT_TRUE(::CopyFileA(disc.dlf().c_str(), dlf.c_str(), TRUE));
    r = run_image({"build", "-q", "-C", disc.dir().path(), dlf});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(read_whole(disc.at("out/\x83\x5C" + mode + ".img")) == expected);
    ::DeleteFileW(long_wide(image).c_str());
    ::RemoveDirectoryW(long_wide(deep).c_str());
    ::RemoveDirectoryW(long_wide(outer).c_str());
  }
}

TEST(ImageWindows, RefusalsCompareNamesTheWindowsWay) {
  struct Case {
    const char *what;
    std::function<std::vector<std::string>(ExampleDisc &)> set_up;  // returns the arguments
    const char *message;
  };
  auto build = [](ExampleDisc &d, const std::string &image) { return d.build_args(image); };
  const Case cases[] = {
      {"DLF in other letters", [&](ExampleDisc &d) { return build(d, d.dir().path() + "\\OUT\\.\\Zem.Dlf"); },
       "is the DLF itself"},
      {"DLF by a hard link", [&](ExampleDisc &d) {
         make_hard_link(d.dlf(), d.at("out/link.img"));
         return build(d, d.at("out/link.img")); },
       "is the DLF itself"},
      {"an item in other letters", [&](ExampleDisc &d) { return build(d, d.dir().path() + "/DISC/Title.TXT"); },
       ", 5: this item's file "},
      {"configuration file in other letters", [&](ExampleDisc &d) { return build(d, d.at("OUT/ZEM_CONFIG.BIN")); },
       ", 2: the image "},
      {"map over the system file in other letters", [&](ExampleDisc &d) {
         return std::vector<std::string>{"map", "-C", d.dir().path(), "--svg", d.at("out/ZEM_System.bin"), d.dlf()}; },
       ", 3: this item's file "},
      {"image onto a device", [&](ExampleDisc &d) { return build(d, "NUL"); }, "NUL: it is a device, not a regular file"},
      {"image in a missing folder", [&](ExampleDisc &d) { return build(d, d.at("none/x.img")); }, "none does not exist"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    ExampleDisc disc("zem");
    ASSERT_TRUE(disc.made());
    const std::string dlf = read_file(disc.dlf()), config = read_file(disc.at("out/zem_config.bin")),
                      system = read_file(disc.at("out/zem_system.bin")), title = read_file(disc.at("disc/title.txt"));
    std::vector<std::string> args = c.set_up(disc);
    std::vector<std::string> before = names_in(disc.at("out"));
    RunResult r = run_image(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(read_file(disc.dlf()), dlf);
    EXPECT_EQ(read_file(disc.at("out/zem_config.bin")), config);
    EXPECT_EQ(read_file(disc.at("out/zem_system.bin")), system);
    EXPECT_EQ(read_file(disc.at("disc/title.txt")), title);
    EXPECT_EQ(names_in(disc.at("out")), before);
  }
}

TEST(ImageWindows, CtrlCEndsTheBuildAndLeavesNoFile) {
  TempDir dir;
  write_long_build(dir);
  const std::string out = dir.mkdir("out"), image = dir.at("out/big.img");

  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE err = ::CreateFileA(dir.at("err.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(err, INVALID_HANDLE_VALUE);
  STARTUPINFOA start{};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  start.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
  start.hStdError = err;
  std::string command = std::string("\"") + QORV_IMAGE_BINARY + "\" build -q -o \"" + image + "\" \"" + dir.at("big.dlf") + "\"";
  // A console of this process's own, which the build shares and Ctrl-C
  // goes to (the one the tests start with may take no events).
  ::FreeConsole();
  ASSERT_TRUE(::AllocConsole());
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start, &process));
  ::CloseHandle(err);
  // Once the build writes its image (the record's lock comes before the
  // checks), Ctrl-C goes to every process of the console: this one lets it
  // pass.
  bool writing = false;
  while (!writing && ::WaitForSingleObject(process.hProcess, 10) == WAIT_TIMEOUT)
    writing = !names_in(out, {"big.img.build-record.lock"}).empty();
  ASSERT_TRUE(writing) << "the build ended before its file was seen";
  auto let_pass = [](DWORD) -> BOOL { return TRUE; };
  ::SetConsoleCtrlHandler(let_pass, TRUE);
  EXPECT_TRUE(::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
  ::WaitForSingleObject(process.hProcess, INFINITE);
  ::SetConsoleCtrlHandler(let_pass, FALSE);
  DWORD status = 0;
  ::GetExitCodeProcess(process.hProcess, &status);
  ::CloseHandle(process.hProcess);
  ::CloseHandle(process.hThread);
  EXPECT_EQ(status, 2u);
  ImageRun texts;  // the language the tool chose from the host's
  texts.language = host_prefers_japanese() ? Language::Japanese : Language::English;
  EXPECT_EQ(read_file(dir.at("err.txt")),
            "Error: " +
                image_text(texts, ImageMessage::AndSo,
                           {image_text(texts, ImageMessage::InterruptedAlone),
                            image_text(texts, ImageMessage::NotWritten, {image})}) +
                "\r\n");
  EXPECT_EQ(names_in(out), std::vector<std::string>{});
}

}  // namespace
}  // namespace qorv::test
