// Trees and names a hostile user may hand the scan: trees deeper than the
// host's path limit or than the disc may nest, walked with few descriptors;
// names the DLF or the disc cannot hold; -a without a current folder.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "e2e/hostile_disc.h"

namespace qorv::test {
namespace {

// Makes `base`/`relative` (folders, and a file at the end when `content` is
// given) one component at a time, so the path may be longer than the host
// takes in one call.
void deep_make(const std::string &base, const std::string &relative, const char *content = nullptr) {
  int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY);
  for (size_t at = 0, slash; fd >= 0; at = slash + 1) {
    slash = relative.find('/', at);
    const std::string name = relative.substr(at, slash - at);
    if (slash == std::string::npos && content) {
      int file = ::openat(fd, name.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
      ASSERT_EQ(::write(file, content, strlen(content)), static_cast<ssize_t>(strlen(content)));
      ::close(file);
    } else {
      ::mkdirat(fd, name.c_str(), 0755);
    }
    int next = slash == std::string::npos ? -1 : ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
    ::close(fd);
    fd = next;
  }
}

std::string repeat(const std::string &part, size_t count) {
  std::string out;
  for (size_t i = 0; i < count; ++i) out += part;
  return out;
}

// What a scenario expects. The messages follow the mode line; the DLF items
// are checked when the run succeeds, and otherwise no output may exist.
struct Expect {
  std::string over = "";  // the second description file ("": none)
  int status = -1;
  std::string err;
  std::vector<std::pair<uint64_t, std::string>> items = {};
  uint64_t closing = 0;
  rlim_t open_files = 0;  // lowers the limit on open files for the run
  bool absolute_in_deleted_folder = false;  // runs with -a from a folder deleted before
};

struct Probe {
  const char *name;
  std::function<Expect(HostileDisc &)> setup;
};

const Probe kProbes[] = {
    {"deeper than a host path may be, walked with 20 descriptors",
     [](HostileDisc &d) {
       // 30 folders of 200-byte names (6030 bytes below the root), each
       // level with a folder zz holding f.bin. Depth first: the chain, then
       // zz from the deepest level up; every zz is opened from its parent,
       // which the walk had to close on the way down and opens again.
       const std::string n(200, 'n');
       Expect e{.status = 0, .err = kBaseUserArea, .open_files = 20};
       for (size_t i = 0; i <= 30; ++i) deep_make(d.at("root"), repeat(n + "/", i) + "zz/f.bin", "1234");
       for (size_t i = 31; i-- > 0;)
         e.items.emplace_back(0x20000 + 4 * e.items.size(), d.at("root") + repeat("/" + n, i) + "/zz/f.bin");
       e.closing = 0x20000 + 4 * 31 + 32;
       return e;
     }},
    {"a disc path of 32768 bytes",
     [](HostileDisc &d) {
       // A folder path of exactly 32767 bytes (128 names of 255) is still taken.
       const std::string m(255, 'm');
       deep_make(d.at("root"), repeat(m + "/", 128) + "f.bin", "1234");
       return Expect{.err = "Error: " + d.at("root") + repeat("/" + m, 128) + "/f.bin is nested too deeply.\n"};
     }},
    {"a folder 2049 levels deep",
     [](HostileDisc &d) {
       // A file below a [PathList] folder 2048 levels deep is still taken.
       d.dir().write("extra/sub/e.bin", "1234");
       d.dir().write("extra/e.bin", "1234");
       return Expect{.over = "[PathList]\nex = \"" + repeat("a/", 2047) + "a\", \"" + d.at("extra") + "\"\n",
                     .err = "Error: " + d.at("extra/sub") + " is nested too deeply.\n"};
     }},
    {"line breaks and backslashes in names",
     [](HostileDisc &d) {
       // Sibling order A\nB.BIN, C\rD, OK.BIN, X, X\Y, Z\W. The folders with
       // such names are not walked; x\y would be the same disc path as y in x.
       for (const char *file : {"a\nb.bin", "c\rd/in.bin", "ok.bin", "x/y", "x\\y", "z\\w/in.bin"})
         d.dir().write(std::string("root/") + file, "1234");
       const std::string root = d.at("root") + "/";
       return Expect{.err = "Error: " + root + "a\nb.bin has a line break in its name.\n"
                            "Error: " + root + "c\rd has a line break in its name.\n"
                            "Error: " + root + "x\\y has a backslash in its name.\n"
                            "Error: " + root + "z\\w has a backslash in its name.\n"};
     }},
    {"a [PathList] host folder with a line break",
     [](HostileDisc &d) {
       // A carriage return inside a line stays in the quoted text. Checked
       // before anything is grafted; the other item is fine.
       d.dir().write("ex\rtra/e.bin", "1234");
       d.dir().write("fine/f.bin", "1234");
       return Expect{.over = "[PathList]\nex = \"EX\", \"" + d.at("ex\rtra") + "\"\n"
                             "fine = \"FINE\", \"" + d.at("fine") + "\"\n",
                     .err = "Error: " + d.at("ex\rtra") + " has a line break in its name.\n"};
     }},
    {"-a while the current folder is deleted",
     [](HostileDisc &d) {
       // The root written without its leading "/": resolved from "/", it
       // would name the scratch root, and another tree would be scanned.
       return Expect{.over = "[Input]\nDvdRoot = \"" + d.at("root").substr(1) + "\"\n",
                     .err = "Error: Cannot find " + d.at("root").substr(1) + ".\n",
                     .absolute_in_deleted_folder = true};
     }},
};

TEST(ProbeNames, Scenarios) {
  for (const Probe &probe : kProbes) {
    SCOPED_TRACE(probe.name);
    HostileDisc disc;
    const Expect e = probe.setup(disc);
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    if (e.open_files) {
      struct rlimit low = saved;
      low.rlim_cur = e.open_files;
      ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    }
    int cwd = -1;
    if (e.absolute_in_deleted_folder) {
      cwd = ::open(".", O_RDONLY | O_DIRECTORY);
      ASSERT_EQ(::chdir(disc.dir().mkdir("gone").c_str()), 0);
      ASSERT_EQ(::rmdir(disc.at("gone").c_str()), 0);
    }
    RunState state;
    RunResult r = e.absolute_in_deleted_folder
                      ? run_tool({"-a", disc.base(), disc.dir().write("over.ddf", e.over)}, state)
                      : disc.run(e.over);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    if (cwd >= 0) {
      EXPECT_EQ(::fchdir(cwd), 0);
      ::close(cwd);
    }

    EXPECT_EQ(r.status, e.status);
    EXPECT_EQ(r.err, "  mode=ZEM\n\n" + e.err);
    if (e.status == 0) {
      EXPECT_EQ(disc.dlf(), disc.expected_dlf(e.items, e.closing));
    } else {
      EXPECT_FALSE(disc.wrote("disc.dlf") || disc.wrote("sys.bin") || disc.wrote("cfg.bin"));
    }
  }
}

}  // namespace
}  // namespace qorv::test
