// Outputs and input files that would destroy or corrupt data. A refused
// output stops the run before anything is written; inputs that change while
// the run reads them, endless or huge inputs and host limits end with a
// message and status 255, never a silent loss.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "core/run_state.h"
#include "ddf/description_loader.h"
#include "ddf/load_fixture.h"
#include "e2e/hostile_disc.h"
#include "layout/lba_assignment.h"
#include "output/dlf_writer.h"
#include "output/system_file_writer.h"
#include "sysarea/system_layout.h"
#include "tree/fst_builder.h"

namespace qorv::test {
namespace {

namespace fs = std::filesystem;

// Every entry below `root`: a file's size and digest, a link's target, or
// its kind.
std::map<std::string, std::string> snapshot(const std::string &root) {
  std::map<std::string, std::string> entries;
  for (const fs::directory_entry &e : fs::recursive_directory_iterator(root)) {
    const std::string path = e.path().string();
    if (e.is_symlink()) {
      entries[path] = "link " + fs::read_symlink(e.path()).string();
    } else if (e.is_regular_file()) {
      const std::string bytes = read_file(path);
      entries[path] = std::to_string(bytes.size()) + " bytes " + std::to_string(std::hash<std::string>{}(bytes));
    } else {
      entries[path] = e.is_directory() ? "folder" : "other";
    }
  }
  return entries;
}

struct Refusal {
  const char *what;
  // Prepares the disc; returns the second description and the errors.
  std::function<std::pair<std::string, std::string>(HostileDisc &)> make;
};

TEST(ProbeOutputs, RefusedOutputsWriteNothing) {
  ScopedEnvironment no_registry("QORV_REGISTRY_FILE", "/nonexistent");
  ScopedEnvironment no_root("PROBE_ROOT", "");
  auto output = [](const std::string &key, const std::string &path) {
    return "[Output]\n" + key + " = \"" + path + "\"\n";
  };
  const std::vector<Refusal> cases = {
      {"two outputs, one through a linked folder, before the file exists",
       [&](HostileDisc &d) {
         fs::create_directory_symlink(d.at("out"), d.at("out2"));
         return std::pair{output("LayoutFileName", d.at("out/x")) + "SystemFileName = \"" + d.at("out2/x") + "\"\n",
                          "Error: " + d.at("out2/x") + " is used for more than one output file.\n"};
       }},
      {"two dangling links to one target, one relative, one absolute",
       [&](HostileDisc &d) {
         fs::create_symlink("t", d.at("out/a"));
         fs::create_symlink(d.at("out/t"), d.at("out/b"));
         return std::pair{output("LayoutFileName", d.at("out/a")) + "ConfigFileName = \"" + d.at("out/b") + "\"\n",
                          "Error: " + d.at("out/b") + " is used for more than one output file.\n"};
       }},
      {"the registry export file that gave the output's name",
       [&](HostileDisc &d) {
         const std::string reg = d.dir().write(
             "q.reg", "REGEDIT4\n[HKEY_CURRENT_USER\\SOFTWARE\\Kelvane\\QORV]\n\"Out\"=\"" + d.at("q.reg") + "\"\n");
         ::setenv("QORV_REGISTRY_FILE", reg.c_str(), 1);
         return std::pair{output("LayoutFileName", "${Out}"), "Error: " + reg + " is both an input and an output file.\n"};
       }},
      {"the previous run's DLF in the disc root",
       [&](HostileDisc &d) {
         d.dir().write("root/old.dlf", "v2.00\r\n");
         return std::pair{output("LayoutFileName", d.at("root/old.dlf")),
                          "Error: " + d.at("root/old.dlf") + " is both an input and an output file.\n"};
       }},
      {"a hard link to a file of a [PathList] folder",
       [&](HostileDisc &d) {
         fs::create_hard_link(d.dir().write("graft/v.bin", "voice"), d.at("out/v.bin"));
         return std::pair{"[PathList]\nG = \"g\", \"" + d.at("graft") + "\"\n" + output("SystemFileName", d.at("out/v.bin")),
                          "Error: " + d.at("out/v.bin") + " is both an input and an output file.\n"};
       }},
      {"a FIFO without a reader",
       [&](HostileDisc &d) {
         ::mkfifo(d.at("out/fifo").c_str(), 0666);
         return std::pair{output("ConfigFileName", d.at("out/fifo")), "Error: " + d.at("out/fifo") + " is not a file.\n"};
       }},
      {"a line feed brought into DvdRoot by the environment, a carriage return in SystemFileName",
       [&](HostileDisc &d) {
         ::setenv("PROBE_ROOT", d.dir().mkdir("disc\nroot").c_str(), 1);
         return std::pair{"[Input]\nDvdRoot = \"$(PROBE_ROOT)\"\n" + output("SystemFileName", d.at("out/s\rx.bin")),
                          "Error: " + d.at("out/s\rx.bin") + " has a line break in its name.\nError: " +
                              d.at("disc\nroot") + " has a line break in its name.\n"};
       }},
  };
  for (const Refusal &c : cases) {
    HostileDisc disc;
    const auto [overrides, errors] = c.make(disc);
    const auto before = snapshot(disc.dir().path());
    const std::string second = disc.at("over.ddf");
    write_file(second, overrides);
    RunResult r = disc.run_with_file(second);
    EXPECT_EQ(r.status, -1) << c.what;
    EXPECT_EQ(r.err, kBaseMessages + errors) << c.what;
    auto after = snapshot(disc.dir().path());
    after.erase(second);
    auto expected = before;
    expected.erase(second);
    EXPECT_EQ(after, expected) << c.what;
  }
}

TEST(ProbeOutputs, DevicesAndRegistryExportFiles) {
  if (!file_exists("/dev/null") || !file_exists("/dev/zero")) GTEST_SKIP() << "no /dev/null, /dev/zero";
  HostileDisc disc;
  const std::string refs = "[DiskID]\nDiskInfo = \"${A}\"\nDiskInfo = \"${B}\"\n";
  const std::string over = disc.at("over.ddf");
  const std::string undefined = "Warning:" + over + ", 2: A undefined.\nWarning:" + over + ", 3: B undefined.\n";
  // An export file over 64 MiB: only its first line is real, the rest a hole.
  const std::string big = disc.dir().write("big.reg", "REGEDIT4\n");
  fs::resize_file(big, (64 << 20) + 1);
  struct Case {
    std::string registry, overrides, messages;
  } cases[] = {
      {"/dev/null", "[Output]\nLayoutFileName = \"/dev/null\"\n", ""},
      // Its first bytes tell that it holds no values: read no further.
      {"/dev/zero", refs, undefined},
      // Read once for both references: one warning.
      {big, refs, "Warning: " + big + " is larger than 64 MiB and is not read.\n" + undefined},
  };
  for (const Case &c : cases) {
    ScopedEnvironment registry("QORV_REGISTRY_FILE", c.registry);
    RunResult r = disc.run(c.overrides);
    EXPECT_EQ(r.status, 0) << c.registry;
    EXPECT_EQ(r.err, c.messages + kBaseMessages) << c.registry;
  }
}

TEST(ProbeOutputs, SystemInputReplacedSinceItWasMeasured) {
  using Stage = bool (*)(RunState &);
  const Stage stages[] = {build_fst, compute_system_layout, assign_lbas, write_dlf, write_system_file,
                          write_config_file};
  // The loader before the system file, the ZEM system file before the
  // configuration file: each a byte longer than measured.
  for (auto [input, stage] : {std::pair{"sys/ldr.bin", 4}, std::pair{"sys/zemsys.bin", 5}}) {
    HostileDisc disc;
    RunState run;
    std::ostringstream err, out;
    run.diag_stream = &err;
    run.out_stream = &out;
    const char *argv[] = {"QorvMakeDlf", disc.base().c_str()};
    ASSERT_TRUE(parse_command_line(run, 2, argv));
    load_description_files(run);
    bool ok = true;
    for (int i = 0; i < 6 && ok; ++i) {
      if (i == stage) write_file(disc.at(input), read_file(disc.at(input)) + "!");
      ok = stages[i](run);
    }
    EXPECT_FALSE(ok) << input;
    EXPECT_EQ(err.str(), std::string(kBaseUserArea) + "Error: File read error.(" + disc.at(input) + ")\n");
  }
}

// Runs the program itself under `limits` (prlimit options), with the base
// description and `overrides`.
RunResult run_limited(HostileDisc &disc, const std::string &limits, const std::string &overrides) {
  const std::string err = disc.at("err.txt");
  const std::string command = "prlimit " + limits + " " + QORV_BINARY + " " + disc.base() + " " +
                              disc.dir().write("over.ddf", overrides) + " 2>" + err + " >/dev/null";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1000 - status, read_file(err), ""};
}

TEST(ProbeOutputs, HostLimits) {
  if (std::system("prlimit --version >/dev/null 2>&1") != 0 || !file_exists(QORV_BINARY))
    GTEST_SKIP() << "no prlimit or no program";
  HostileDisc disc;
  // The system file reaches the boot file at 0x18000 = 98304 bytes: the
  // write across the 50,000-byte limit fails.
  RunResult r = run_limited(disc, "--fsize=50000", "");
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.err, std::string(kBaseMessages) + "Error: File write error.(" + disc.at("out/sys.bin") + ")\n");
  EXPECT_EQ(fs::file_size(disc.at("out/sys.bin")), 50000u);

#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer needs more address space than the limit";
#endif
  // 70 MiB loader and ZEM system file (holes) under a 64 MiB address space.
  const uint64_t size = 70 << 20;
  fs::resize_file(disc.at("sys/ldr.bin"), size);
  fs::resize_file(disc.at("sys/zemsys.bin"), size);
  r = run_limited(disc, "--as=67108864", "[BB2]\nFSTuserEnd = 0x10000000\n");
  EXPECT_EQ(r.status, 0) << r.err;
  // Boot file at 0x2440 + 70 MiB rounded up to 256 = 0x4602500, the FST (the
  // root's 12 bytes) 256 bytes behind it at 0x4602600; the user area from
  // 0x4608000 to 0x10000000 - 32 - 70 MiB - 0x40000.
  EXPECT_EQ(r.err, "  mode=ZEM\n\n  user area = 4608000 - b9bffe0\n");
  EXPECT_EQ(fs::file_size(disc.at("out/sys.bin")), 0x460260Cu);
  EXPECT_EQ(fs::file_size(disc.at("out/cfg.bin")), 0x40000 + size);

  // An export file of 60 MiB cannot be held twice (as read and as text).
  const std::string reg = disc.dir().write("q.reg", "REGEDIT4\n");
  fs::resize_file(reg, 60 << 20);
  ScopedEnvironment registry("QORV_REGISTRY_FILE", reg);
  r = run_limited(disc, "--as=67108864", "[DiskID]\nDiskInfo = \"${A}\"\n");
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.err, "Error: Out of memory.\n");
}

}  // namespace
}  // namespace qorv::test
