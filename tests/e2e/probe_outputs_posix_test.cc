// Outputs and input files that would destroy or corrupt data, run through the
// program itself. A refused output stops the run before anything is written;
// inputs that change, endless or huge inputs and host limits end with a
// message, never a silent loss.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ddf/load_fixture.h"
#include "e2e/hostile_disc.h"

namespace qorv::test {
namespace {

namespace fs = std::filesystem;

// `text` with every "@" replaced by `dir`.
std::string at(std::string text, const std::string &dir) {
  for (size_t p = text.find('@'); p != std::string::npos; p = text.find('@', p + dir.size())) text.replace(p, 1, dir);
  return text;
}

// Every entry below `root`, a file with its size and digest, a link with
// its target.
std::string snapshot(const std::string &root) {
  std::string out;
  for (const fs::directory_entry &e : fs::recursive_directory_iterator(root)) {
    const std::string bytes = e.is_regular_file() && !e.is_symlink() ? read_file(e.path()) : "";
    out += e.path().string() + (e.is_symlink() ? " -> " + fs::read_symlink(e.path()).string() : "") + " " +
           std::to_string(bytes.size()) + " " + std::to_string(std::hash<std::string>{}(bytes)) + "\n";
  }
  return out;
}

struct Probe {
  std::string setup;      // shell command in the scratch disc ("@": its path)
  std::string overrides;  // the second description file
  std::string limits;     // prlimit options, or none
  int status;
  std::string errors;  // the whole standard error
  bool writes = false; // false: every file must stay as it was
};

TEST(ProbeOutputs, RunsOfTheProgram) {
  if (std::system("prlimit --version >/dev/null 2>&1") != 0 || !file_exists(QORV_BINARY))
    GTEST_SKIP() << "no prlimit or no program";
  const std::string base = kBaseMessages, refs = "[DiskID]\nDiskInfo = \"${A}\"\nDiskInfo = \"${B}\"\n";
  const std::string undefined = "Warning:@/over.ddf, 2: A undefined.\nWarning:@/over.ddf, 3: B undefined.\n";
  const std::string as64 = "--as=67108864";  // the address space of the issue's probe
  std::vector<Probe> probes = {
      // Two outputs that are one file through a link, before it exists.
      {"ln -s out out2", "[Output]\nLayoutFileName = \"@/out/x\"\nSystemFileName = \"@/out2/x\"\n", "", 255,
       base + "Error: @/out2/x is used for more than one output file.\n"},
      {"ln -s t out/a && ln -s @/out/t out/b", "[Output]\nLayoutFileName = \"@/out/a\"\nConfigFileName = \"@/out/b\"\n",
       "", 255, base + "Error: @/out/b is used for more than one output file.\n"},
      // Outputs that are inputs: the registry export file, files of the disc.
      {"printf 'REGEDIT4\\n[HKEY_CURRENT_USER\\\\SOFTWARE\\\\Kelvane\\\\QORV]\\n\"Out\"=\"@/q.reg\"\\n' >q.reg",
       "[Output]\nLayoutFileName = \"${Out}\"\n", "", 255, base + "Error: @/q.reg is both an input and an output file.\n"},
      {"echo old >root/old.dlf", "[Output]\nLayoutFileName = \"@/root/old.dlf\"\n", "", 255,
       base + "Error: @/root/old.dlf is both an input and an output file.\n"},
      {"mkdir g && echo v >g/v.bin && ln g/v.bin out/v.bin",
       "[PathList]\nG = \"g\", \"@/g\"\n[Output]\nSystemFileName = \"@/out/v.bin\"\n", "", 255,
       base + "Error: @/out/v.bin is both an input and an output file.\n"},
      // A FIFO would block (/dev/null is fine, below).
      {"mkfifo out/fifo", "[Output]\nConfigFileName = \"@/out/fifo\"\n", "", 255, base + "Error: @/out/fifo is not a file.\n"},
      // FIFOs as inputs: refused before anything is written, never waited
      // on; one as the registry export file reads as empty.
      {"rm sys/ldr.bin sys/bi2.bin && mkfifo sys/ldr.bin sys/bi2.bin", "", "", 255,
       "  mode=ZEM\n\nError: @/sys/ldr.bin is not a file.\n"},
      {"rm sys/bi2.bin && mkfifo sys/bi2.bin", "", "", 255, "  mode=ZEM\n\nError: @/sys/bi2.bin is not a file.\n"},
      {"rm sys/zemsys.bin && mkfifo sys/zemsys.bin", "", "", 255,
       "  mode=ZEM\n\nError: File open error. (@/sys/zemsys.bin)\n"},
      {"mkfifo q.reg", refs, "", 0, undefined + base, true},
      // Nodes of the disc tree that are no files, in sibling order.
      {"mkfifo root/pipe && ln -s /dev/null root/null && echo x >root/a && "
       "python3 -c \"import socket; socket.socket(socket.AF_UNIX).bind('root/sock')\"",
       "", "", 255,
       "  mode=ZEM\n\nError: @/root/null is not a file.\nError: @/root/pipe is not a file.\n"
       "Error: @/root/sock is not a file.\n"},
      // Line breaks in names the DLF lists: from the environment, and as written.
      {"", "[Output]\nConfigFileName = \"$(PROBE_NAME)\"\nSystemFileName = \"@/out/s\rx.bin\"\n", "", 255,
       base + "Error: @/out/c\nx.bin has a line break in its name.\nError: @/out/s\rx.bin has a line break in its name.\n"},
      // Registry export files: endless (its first bytes tell it is none;
      // the DLF goes to /dev/null),
      // larger than 64 MiB (read once: one warning), and one that cannot be
      // held twice (as read and as text) in the address space.
      {"ln -s /dev/zero q.reg", refs + "[Output]\nLayoutFileName = \"/dev/null\"\n", "", 0, undefined + base, true},
      {"echo REGEDIT4 >q.reg && truncate -s 67108865 q.reg", refs, "", 0,
       "Warning: @/q.reg is larger than 64 MiB and is not read.\n" + undefined + base, true},
      {"echo REGEDIT4 >q.reg && truncate -s 60M q.reg", refs, as64, 255, "Error: Out of memory.\n"},
      // System inputs that hold more than measured (a kernel file measures 0
      // bytes), and so more than the layout left room for.
      {"", "[Input]\nLDRFileName = \"/proc/self/stat\"\n", "", 255, base + "Error: File read error.(/proc/self/stat)\n", true},
      {"", "[Input]\nZEMSysFileName = \"/proc/self/stat\"\n", "", 255,
       "  mode=ZEM\n\n  user area = 20000 - bffe0\nError: File read error.(/proc/self/stat)\n", true},
      // A file-size limit: the system file reaches the boot file at 0x18000.
      {"", "", "--fsize=50000", 255, base + "Error: File write error.(@/out/sys.bin)\n", true},
      // 70 MiB loader and ZEM system file: boot file at 0x2440 + 70 MiB
      // rounded up to 256 = 0x4602500, the FST 256 bytes later; the user area
      // from 0x4608000 to 0x10000000 - 32 - 70 MiB - 0x40000.
      {"truncate -s 70M sys/ldr.bin sys/zemsys.bin", "[BB2]\nFSTuserEnd = 0x10000000\n", as64, 0,
       "  mode=ZEM\n\n  user area = 4608000 - b9bffe0\n", true},
  };
  for (const Probe &p : probes) {
#if defined(__SANITIZE_ADDRESS__)
    if (p.limits == as64) continue;  // the sanitizer needs more address space
#endif
    HostileDisc disc;
    const std::string dir = disc.dir().path();
    ScopedEnvironment registry("QORV_REGISTRY_FILE", dir + "/q.reg"), name("PROBE_NAME", dir + "/out/c\nx.bin");
    ASSERT_EQ(std::system(("cd " + dir + " && " + at(p.setup.empty() ? "true" : p.setup, dir)).c_str()), 0);
    const std::string over = disc.dir().write("over.ddf", at(p.overrides, dir));
    const std::string before = p.writes ? "" : snapshot(dir);
    const std::string command = (p.limits.empty() ? "" : "prlimit " + p.limits + " ") + QORV_BINARY + " " +
                                disc.base() + " " + over + " 2>" + dir + "/err >/dev/null";
    const int status = std::system(command.c_str());
    const std::string err = read_file(dir + "/err");
    std::remove((dir + "/err").c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -status, p.status) << p.setup << p.overrides;
    EXPECT_EQ(err, at(p.errors, dir)) << p.setup << p.overrides;
    if (!p.writes) {
      EXPECT_EQ(snapshot(dir), before) << p.setup << p.overrides;
    }
  }
}

}  // namespace
}  // namespace qorv::test
