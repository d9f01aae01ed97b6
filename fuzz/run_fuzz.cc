// A whole run from a small generated tree: layer 1 is a fixed description
// naming the tree, the system inputs and outputs, layer 2 is the input. Each
// execution starts from a freshly made working directory, so no run sees
// what an earlier one wrote.
//
// The input may only name paths inside the working directory: inputs with
// an absolute path (a text starting with "/" or "\"), a ".." or a variable
// reference (whose value could be anything) are skipped. This keeps the
// fuzzer from writing or scanning anywhere else on the machine.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>

#include "app/run_driver.h"
#include "core/run_state.h"
#include "fuzz_support.h"

namespace {

namespace fs = std::filesystem;
using qorv::fuzz::write_text;

const char *const kLayer1 =
    "[Input]\n"
    "DvdRoot = \"root\"\n"
    "LDRFileName = \"sys/ldr.bin\"\n"
    "BI2FileName = \"sys/bi2.bin\"\n"
    "BootFileName = \"sys/boot.bin\"\n"
    "ZEMSysFileName = \"sys/zemsys.bin\"\n"
    "[Output]\n"
    "LayoutFileName = \"out/disc.dlf\"\n"
    "SystemFileName = \"out/sys.bin\"\n"
    "ConfigFileName = \"out/cfg.bin\"\n"
    "FST = new\n"
    "[DiskID]\n"
    "GameName = \"QFUZ\"\nCompany = \"01\"\nDiskNumber = 0\nGameVersion = 0\n"
    "DiskInfo = \"fuzz disc\"\nTotalDisk = 1\n"
    "[BB2]\n"
    "FSTEndAddress = 0x81700000\n"
    "FSTuserEnd = 0x100000\n"
    "[BI2]\n"
    "CountryCode = us\n"
    "[LbaAlign]\n"
    "0 = \"Sound/*\", 0x8000\n"
    "[PathList]\n"
    "ex = \"EXTRA/sub\", \"extra\"\n"
    "[LayoutOff]\n"
    "\"*.tmp\"\n"
    "[Layout]\n"
    "0 = \"DATA/b.bin\", 2, mirror\n"
    "[LbaOrigin]\n"
    "0x40000 = \"a.bin\", +\n"
    "0x40000 :: \"DATA/sub/c.txt\"\n";

// The tree every execution starts from (paths relative to the working
// directory).
void make_tree(const fs::path &work) {
  for (const char *dir : {"root/DATA/sub", "root/Sound", "extra", "sys", "out"})
    fs::create_directories(work / dir);
  write_text(work / "root/a.bin", "hello");
  write_text(work / "root/DATA/b.bin", std::string(100, 'b'));
  write_text(work / "root/DATA/sub/c.txt", "text");
  write_text(work / "root/empty", "");
  write_text(work / "root/skip.tmp", "gone");
  write_text(work / "root/Sound/theme.snd", std::string(3000, 's'));
  write_text(work / "extra/e.bin", std::string(100, 'e'));
  write_text(work / "sys/ldr.bin", std::string(0x100, 'L'));
  write_text(work / "sys/boot.bin", std::string(0x100, 'B'));
  write_text(work / "sys/bi2.bin", std::string(8192, '\0'));
  write_text(work / "sys/zemsys.bin", std::string(0x100, 'Z'));
}

bool stays_inside(std::string_view input) {
  return input.find("\"/") == std::string_view::npos && input.find("\"\\") == std::string_view::npos &&
         input.find("..") == std::string_view::npos && input.find('$') == std::string_view::npos;
}

struct Sandbox {
  std::string layer1, layer2;
  fs::path work;
};

const Sandbox &sandbox() {
  static const Sandbox box = [] {
    Sandbox b;
    const std::string &dir = qorv::fuzz::scratch_dir();
    b.layer1 = dir + "/layer1.ddf";
    b.layer2 = dir + "/layer2.ddf";
    b.work = fs::path(dir) / "work";
    write_text(b.layer1, kLayer1);
    fs::create_directories(b.work);
    if (::chdir(b.work.c_str()) != 0) std::abort();
    ::setenv("QORV_REGISTRY_FILE", (dir + "/none.reg").c_str(), 1);
    return b;
  }();
  return box;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string_view input(reinterpret_cast<const char *>(data), size);
  if (!stays_inside(input)) return -1;  // keeps it out of the corpus
  const Sandbox &box = sandbox();
  qorv::fuzz::write_bytes(box.layer2, data, size);
  for (const fs::directory_entry &entry : fs::directory_iterator(box.work)) fs::remove_all(entry.path());
  make_tree(box.work);

  std::ostream discard(nullptr);
  qorv::RunState run;
  run.diag_stream = &discard;
  run.out_stream = &discard;
  const char *argv[] = {"QorvMakeDlf", box.layer1.c_str(), box.layer2.c_str()};
  qorv::run_program(run, 3, argv);
  return 0;
}
