// QorvImage run as a process, where only a process shows it: images made to
// hurt it are refused with a message and status 2, without output, within
// 1 GiB of address space (prlimit --as) however much the image claims;
// standard output that cannot be written is a failure; signals end a build
// without leaving a file; the depfile reads back in make and ninja; the
// outputs do not depend on file times, umask or time zone; the locale picks
// the language.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "support/crafted_disc.h"
#include "support/example_disc.h"

namespace qorv::test {
namespace {

namespace fs = std::filesystem;

// QorvImage run as a process, in 1 GiB of address space (not under the
// address sanitizer, which reserves far more for itself).
struct Outcome {
  int status = -1;
  uint64_t out_size = 0;
  std::string err;
};

Outcome run_as_process(const TempDir &dir, const std::string &args, const std::string &out_redirect = "") {
#if defined(__SANITIZE_ADDRESS__)
  const std::string limit;
#else
  const std::string limit = "prlimit --as=1073741824 ";
#endif
  const std::string out = dir.at("stdout.txt"), err = dir.at("stderr.txt");
  int status = std::system((limit + "'" + QORV_IMAGE_BINARY + "' " + args + " " +
                            (out_redirect.empty() ? ">'" + out + "'" : out_redirect) + " 2>'" + err + "'").c_str());
  Outcome o;
  o.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  o.out_size = file_exists(out) ? fs::file_size(out) : 0;
  o.err = read_file(err);
  fs::remove(out);
  return o;
}

// Nested directories, each holding the next, all named by one name.
CraftedDisc nested(uint32_t depth, const std::string &name) {
  CraftedDisc d;
  d.records.push_back(record(0x01000000, 0, depth + 1));
  for (uint32_t i = 1; i <= depth; ++i) d.records.push_back(record(0x01000000, i - 1, depth + 1));
  d.names = name + std::string(1, '\0');
  return d;
}

// Copied files of 0x40 bytes, one per start: file k's copy list begins at
// word `starts[k]` behind the 4-byte name table ("f").
CraftedDisc copied(const std::vector<uint32_t> &starts, std::vector<uint32_t> words) {
  CraftedDisc d;
  d.records.push_back(record(0x01000000, 0, static_cast<uint32_t>(starts.size() + 1)));
  for (uint32_t start : starts) d.records.push_back(record(0x0C000000, 4 + 4 * start, 0x40));
  d.names = std::string("f\0\0\0", 4);
  d.words = std::move(words);
  return d;
}

TEST(ImageHostile, ImagesAreRefusedInBoundedMemoryWithoutOutput) {
  std::vector<uint32_t> shared(30001, 0);  // 30,000 places, then the end word
  for (uint32_t k = 0; k < 30000; ++k) shared[k] = (0x100000 + 0x40 * k) / 4;
  struct Case {
    const char *what;
    CraftedDisc disc;
    const char *message;
  };
  const Case cases[] = {
      // 2,000 folders of one 30,000-byte name: paths of up to 60 MB each.
      {"long paths", nested(2000, std::string(30000, 'n')),
       "FST entry 2: its disc path of 60,001 bytes is longer than the 32,767 a disc path may take"},
      {"deep folders", nested(2100, "d"), "FST entry 2049: a folder more than 2,048 levels below the root"},
      // 30,000 copied files sharing one list of 30,000 places: 9 x 10^8 rows.
      {"one copy list for all", [&] {
         CraftedDisc d = copied(std::vector<uint32_t>(30000, 0), shared);
         d.user_area_length = 1 << 30;
         return d; }(),
       "FST entry 2: its copy list at 0x4 overlaps that of FST entry 1"},
      // File 2's list (words 0 to 2) runs into file 1's (words 2 to 4).
      {"copy lists that overlap", copied({2, 0}, {1 << 16, 2 << 16, 3 << 16, 4 << 16, 0}),
       "FST entry 2: its copy list at 0x4 overlaps that of FST entry 1"},
      // Five copies of 0x40 bytes cannot lie in a user area of 0x100 bytes.
      {"more copies than the disc holds", [] {
         CraftedDisc d = copied({0}, {1 << 16, 2 << 16, 3 << 16, 4 << 16, 5 << 16, 0});
         d.user_area_length = 0x100;
         return d; }(),
       "FST entry 1: its copy list at 0x4 holds more copies of its 64 bytes than the user area of 256 bytes can hold"},
      // An 8 GiB sparse file whose boot block gives an FST of nearly 8 GiB.
      {"sparse FST of 8 GiB", [] {
         CraftedDisc d;
         d.claimed_fst_size = (uint64_t{8} << 30) - 0x1000;
         d.file_size = uint64_t{8} << 30;
         return d; }(),
       "FST entry 0: the root is not a directory"},
      {"entry count of 8 GiB", [] {
         CraftedDisc d;
         d.records.push_back(record(0x01000000, 0, 0x2AAAAAAA));
         d.claimed_fst_size = (uint64_t{8} << 30) - 0x1000;
         d.file_size = uint64_t{8} << 30;
         return d; }(),
       "FST entry 0: entry count 715827882 that no FST can hold (its name table allows 16,777,217)"},
  };
  TempDir dir;
  const std::string image = dir.at("disc.bin"), dlf = dir.at("disc.dlf");
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    c.disc.write(image);
    // The image is its own system file: a DLF of the one item for map and verify.
    write_file(dlf, zem_dlf("cfg.bin", {{0, image}, {fs::file_size(image), ""}}));
    for (const std::string &command :
         std::vector<std::string>{"list", "list --json", "verify '" + dlf + "'", "map", "map --svg " + dir.at("m.svg")}) {
      SCOPED_TRACE(command);
      if (command.starts_with("verify") && c.disc.file_size > 0) continue;  // it would compare 8 GiB with itself
      const bool needs_dlf = command.starts_with("map");
      Outcome o = run_as_process(dir, command + " '" + (needs_dlf ? dlf : image) + "'");
      EXPECT_EQ(o.status, 2);
      EXPECT_EQ(o.out_size, 0u);
      EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err.substr(0, 2000);
      EXPECT_FALSE(file_exists(dir.at("m.svg")));
    }
  }
}

TEST(ImageHostile, LostStandardOutputIsAFailure) {
  ExampleDisc disc("zem");
  ASSERT_TRUE(disc.made());
  const std::string list = "list '" + disc.at("out/zem_system.bin") + "'";
  const std::string map = "map -C '" + disc.dir().path() + "' '" + disc.dlf() + "'";
  for (const std::string &command :
       std::vector<std::string>{list, "list --json '" + disc.at("out/zem_system.bin") + "'", map, "--help", "map --help"})
    for (const auto &[redirect, reason] : {std::pair{">/dev/full", "No space left on device"}, {">&-", "Bad file descriptor"}}) {
      SCOPED_TRACE(command + " " + redirect);
      Outcome o = run_as_process(disc.dir(), command, redirect);
      EXPECT_EQ(o.status, 2);
      EXPECT_EQ(o.err, std::string("Error: cannot write standard output: ") + reason + "\n");
    }
}

// Where the build running as `pid` writes into `folder`: the target of one
// of its descriptors ("folder/#N (deleted)" while the file has no name).
std::string file_written_in(pid_t pid, const std::string &folder) {
  std::error_code ec;
  for (const auto &e : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
    std::string target = fs::read_symlink(e.path(), ec).string();
    // The build record's lock is opened first: wait for the image's file.
    if (!ec && target.starts_with(folder + "/") && target.find(".build-record") == std::string::npos) return target;
  }
  return "";
}

TEST(ImageBuild, InterruptedBuildLeavesNoFile) {
  TempDir dir;
  write_long_build(dir);
  fs::create_directory(dir.at("out"));
  const std::string out = dir.at("out");

  // A closed terminal (SIGHUP) ends the build like Ctrl-C and SIGTERM; even
  // SIGKILL leaves nothing where the file has no name until it is complete.
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
    SCOPED_TRACE(signal);
    std::string binary = QORV_IMAGE_BINARY, image = dir.at("out/big.img"), dlf_path = dir.at("big.dlf");
    const char *argv[] = {binary.c_str(), "build", "-q", "-o", image.c_str(), dlf_path.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, dir.at("err.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, binary.c_str(), &actions, nullptr, const_cast<char *const *>(argv), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    std::string written;
    while (written.empty() && ::waitpid(pid, &status, WNOHANG) == 0) written = file_written_in(pid, out);
    if (!written.empty()) {
      ::kill(pid, signal);
      ::waitpid(pid, &status, 0);
    }
    ASSERT_FALSE(written.empty()) << "the build ended before its file was seen";
    if (signal == SIGKILL) {
      EXPECT_TRUE(WIFSIGNALED(status)) << status;
      // Nothing of the image; the build record's lock file stays empty, and
      // the next build takes it as no record.
      if (written.ends_with(" (deleted)")) {
        EXPECT_EQ(names_in(out, {"big.img.build-record.lock"}), std::vector<std::string>{});
        EXPECT_EQ(read_file(image + ".build-record.lock"), "");
      }
      for (const std::string &name : names_in(out)) fs::remove(out + "/" + name);
      continue;
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << status;
    EXPECT_EQ(read_file(dir.at("err.txt")), "Error: interrupted; " + image + " was not written\n");
    EXPECT_EQ(names_in(out), std::vector<std::string>{});
  }
}

TEST(ImageUpdate, DepfileReadsBackInMakeAndNinja) {
  ExampleDisc disc("zem");
  ASSERT_TRUE(disc.made());
  const std::string odd = "disc/data/a b$c#d.bin";
  write_file(disc.at(odd), "odd name");
  ASSERT_TRUE(disc.lay_out());
  // The rules that docs/qorvimage.md shows, with the programs' paths.
  const std::string image_tool = QORV_IMAGE_BINARY;
  write_file(disc.at("build.ninja"), "rule image\n  command = " + image_tool +
                                         " build -q --depfile $out.d -o $out $in\n  depfile = $out.d\n  deps = gcc\n"
                                         "build out/zem.img: image out/zem.dlf\n");
  ASSERT_EQ(run_quietly("cd '" + disc.dir().path() + "' && ninja >/dev/null"), 0);
  std::string deps_file = disc.at("deps.txt");
  ASSERT_EQ(run_quietly("cd '" + disc.dir().path() + "' && ninja -t deps > deps.txt"), 0);
  const std::string deps = read_file(deps_file);
  for (std::string dep : {std::string("out/zem.dlf"), std::string("out/zem_config.bin"), std::string("out/zem_system.bin"), odd, std::string("voice/hello.vox")})
    EXPECT_NE(deps.find("    " + dep + "\n"), std::string::npos) << dep << " in\n" << deps;
  // make: up to date once built, out of date once the odd file is newer; a
  // wrong escape would name files that do not exist ("No rule to make target").
  write_file(disc.at("Makefile"), "out/make.img: out/zem.dlf\n\t" + image_tool +
                                      " build -q --depfile $@.d -o $@ $<\n-include out/make.img.d\n");
  const std::string make = "cd '" + disc.dir().path() + "' && make ";
  ASSERT_EQ(run_quietly(make + "-s"), 0);
  EXPECT_EQ(run_quietly(make + "-q out/make.img"), 0);
  run_quietly("touch -d '+1 hour' '" + disc.at(odd) + "'");
  EXPECT_EQ(run_quietly(make + "-q out/make.img"), 1);
}

TEST(ImageUpdate, OutputsDependOnTheInputsAlone) {
  // The same disc laid out and built twice: other file times, umask and time
  // zone. The record may differ only in the identities it holds.
  ExampleDisc disc("zem");
  ASSERT_TRUE(disc.made());
  const std::string image_tool = QORV_IMAGE_BINARY;
  auto run = [&](const std::string &environment) {
    fs::remove_all(disc.at("out"));
    fs::create_directory(disc.at("out"));
    std::string command = "cd '" + disc.dir().path() + "' && " + environment + " '" + QORV_BINARY +
                          "' common.ddf zem.ddf >/dev/null && " + environment + " '" + image_tool +
                          "' build -q out/zem.dlf";
    EXPECT_EQ(run_quietly(command), 0) << command;
    std::vector<std::string> outputs;
    for (const char *name : {"zem.dlf", "zem_system.bin", "zem_config.bin", "zem.img"})
      outputs.push_back(read_file(disc.at(std::string("out/") + name)));
    std::string record;
    std::istringstream lines(read_file(disc.at("out/zem.img.build-record")));
    for (std::string line; std::getline(lines, line);) {
      std::istringstream fields(line);
      std::string key, offset;
      fields >> key >> offset;
      record += key == "item" ? key + " " + offset + "\n" : key == "image-identity" || key == "config" ? key + "\n" : line + "\n";
    }
    outputs.push_back(record);
    return outputs;
  };
  auto first = run("umask 022; TZ=UTC");
  run_quietly("cd '" + disc.dir().path() + "' && find . -exec touch -d '2001-02-03 04:05:06' {} +");
  auto second = run("umask 077; TZ=Asia/Tokyo");
  ASSERT_EQ(first.size(), second.size());
  for (size_t i = 0; i < first.size(); ++i) EXPECT_TRUE(first[i] == second[i]) << "output " << i;
}

// The program reads the locale: the first non-empty of LC_ALL, LC_MESSAGES
// and LANG.
TEST(ImageJapanese, TheProgramReadsTheLocale) {
  TempDir dir;
  const std::string err = dir.at("err.txt");
  for (const char *locale : {"LC_ALL= LC_MESSAGES= LANG=ja_JP.UTF-8", "LC_ALL=ja_JP.UTF-8 LANG=C", "LC_ALL= LC_MESSAGES=C LANG=ja_JP.UTF-8"}) {
    SCOPED_TRACE(locale);
    std::system(("env " + std::string(locale) + " '" + QORV_IMAGE_BINARY + "' list '" + dir.at("none.img") + "' 2>'" + err + "'").c_str());
    EXPECT_EQ(read_file(err).find("を読み込めません") != std::string::npos, std::string(locale).find("LC_MESSAGES=C") == std::string::npos);
  }
}

}  // namespace
}  // namespace qorv::test
