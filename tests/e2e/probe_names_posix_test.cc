// Trees and names a hostile user may hand the scan: trees deeper than the
// host's path limit or than the disc may nest, walked with few descriptors;
// names the DLF or the disc cannot hold; -a without a current folder.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "e2e/hostile_disc.h"

namespace qorv::test {
namespace {

std::string repeat(const std::string &part, size_t count) { return count ? part + repeat(part, count - 1) : ""; }

// What a scenario expects after the mode line. A run with DLF items must
// succeed and write them; any other must fail and write nothing.
struct Expect {
  std::string over = "";  // the second description file
  std::string err;
  std::vector<std::pair<uint64_t, std::string>> items = {};
  std::vector<std::string> options = {};
};

const std::pair<const char *, std::function<Expect(HostileDisc &)>> kProbes[] = {
    {"deeper than a host path may be, with 20 descriptors", [](HostileDisc &d) {
       // 31 folders of 200-byte names (6231 bytes), each level but the last
       // with a folder zz holding f.bin. Depth first: the chain, then zz from
       // the deepest level up, each opened from a parent the walk had to close.
       const std::string n(200, 'n');
       Expect e{.err = kBaseUserArea};
       EXPECT_EQ(::chdir(d.at("root").c_str()), 0);  // made from inside: no path is too long
       for (size_t i = 0; i <= 30; ++i)
         EXPECT_TRUE(::mkdir("zz", 0755) == 0 && (write_file("zz/f.bin", "1234"), ::mkdir(n.c_str(), 0755)) == 0 &&
                     ::chdir(n.c_str()) == 0);
       for (size_t i = 31; i-- > 0;)
         e.items.emplace_back(0x20000 + 4 * e.items.size(), d.at("root") + repeat("/" + n, i) + "/zz/f.bin");
       struct rlimit low;
       EXPECT_EQ(::getrlimit(RLIMIT_NOFILE, &low), 0);
       EXPECT_EQ((low.rlim_cur = 20, ::setrlimit(RLIMIT_NOFILE, &low)), 0);
       return e;
     }},
    {"line breaks, backslashes, a disc path of 32768 bytes", [](HostileDisc &d) {
       // Sibling order A\nB.BIN, C\rD, MMM..., OK.BIN, X, X\Y, Z\W. Such
       // folders are not walked; x\y would be the disc path of y in x. A
       // folder path of 32767 bytes (128 names of 255) is still taken.
       for (const char *file : {"a\nb.bin", "c\rd/in.bin", "ok.bin", "x/y", "x\\y", "z\\w/in.bin"})
         d.dir().write(std::string("root/") + file, "1234");
       const std::string root = d.at("root") + "/", m(255, 'm');
       EXPECT_EQ(::chdir(root.c_str()), 0);
       for (size_t i = 0; i < 128; ++i) EXPECT_TRUE(::mkdir(m.c_str(), 0755) == 0 && ::chdir(m.c_str()) == 0);
       write_file("f.bin", "1234");
       return Expect{.err = "Error: " + root + "a\nb.bin has a line break in its name.\n"
                            "Error: " + root + "c\rd has a line break in its name.\n"
                            "Error: " + root + repeat(m + "/", 128) + "f.bin is nested too deeply.\n"
                            "Error: " + root + "x\\y has a backslash in its name.\n"
                            "Error: " + root + "z\\w has a backslash in its name.\n"};
     }},
    {"a folder 2049 levels deep", [](HostileDisc &d) {
       // Below a [PathList] folder 2048 levels deep, files are still taken.
       d.dir().write("extra/sub/e.bin", "1234");
       return Expect{.over = "[PathList]\nex = \"" + repeat("a/", 2047) + "a\", \"" + d.at("extra") + "\"\n",
                     .err = "Error: " + d.at("extra/sub") + " is nested too deeply.\n"};
     }},
    {"a [PathList] host folder with a line break", [](HostileDisc &d) {
       // A carriage return inside a line stays in the quoted text. Checked
       // before anything is grafted.
       d.dir().write("ex\rtra/e.bin", "1234");
       return Expect{.over = "[PathList]\nex = \"EX\", \"" + d.at("ex\rtra") + "\"\n",
                     .err = "Error: " + d.at("ex\rtra") + " has a line break in its name.\n"};
     }},
    {"-a while the current folder is deleted", [](HostileDisc &d) {
       // Resolved from "/", the root written without its leading "/" would
       // name the scratch root: another tree would be scanned.
       EXPECT_TRUE(::chdir(d.dir().mkdir("gone").c_str()) == 0 && ::rmdir(d.at("gone").c_str()) == 0);
       return Expect{.over = "[Input]\nDvdRoot = \"" + d.at("root").substr(1) + "\"\n",
                     .err = "Error: Cannot find " + d.at("root").substr(1) + ".\n", .options = {"-a"}};
     }},
    {"-a in a folder with a line feed in its name", [](HostileDisc &d) {
       EXPECT_EQ(::chdir((d.dir().mkdir("a\nb/root") + "/..").c_str()), 0);
       return Expect{.over = "[Input]\nDvdRoot = \"root\"\n",
                     .err = "Error: " + d.at("a\nb/root") + " has a line break in its name.\n", .options = {"-a"}};
     }},
};

TEST(ProbeNames, Scenarios) {
  struct rlimit limit;
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
  for (const auto &[name, setup] : kProbes) {
    SCOPED_TRACE(name);
    HostileDisc disc;
    const int cwd = ::open(".", O_RDONLY | O_DIRECTORY);  // a scenario may move or lower the limit
    const Expect e = setup(disc);
    std::vector<std::string> args = e.options;
    args.insert(args.end(), {disc.base(), disc.dir().write("over.ddf", e.over)});
    RunResult r = run_tool(args);
    EXPECT_TRUE(::setrlimit(RLIMIT_NOFILE, &limit) == 0 && ::fchdir(cwd) == 0 && ::close(cwd) == 0);

    EXPECT_EQ(r.status, e.items.empty() ? -1 : 0);
    EXPECT_EQ(r.err, "  mode=ZEM\n\n" + e.err);
    // Four bytes each from 0x20000; the closing line 32 bytes after the last.
    // The DLF is written first: without it, there is no output at all.
    EXPECT_EQ(disc.wrote("disc.dlf") ? disc.dlf() : "",
              e.items.empty() ? "" : disc.expected_dlf(e.items, 0x20000 + 4 * e.items.size() + 32));
  }
}

}  // namespace
}  // namespace qorv::test
