// QorvImage build and verify on the shipped example in both modes, the
// inputs that must fail without leaving anything behind, and the files a
// build writes. In-process; expected offsets and sizes read off the
// example's DLF and files by hand, not made with the tool's formatters.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "support/example_disc.h"
#include "support/hex_bytes.h"

namespace qorv::test {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kOutputs{"zem.dlf", "zem_system.bin", "zem_config.bin", "zem.img"};  // nothing else

TEST(ImageBuild, BothModesBuildVerifyAndEqualADirectAssembly) {
  for (std::string mode : {"zem", "ht"}) {
    SCOPED_TRACE(mode);
    ExampleDisc disc(mode);
    ASSERT_TRUE(disc.made());
    const std::string image = disc.at("disc.img");
    // HT names the image by a symbolic link, which stays and leads to it.
    const std::string named = mode == "ht" ? disc.at("link.img") : image;
    if (mode == "ht") fs::create_symlink("disc.img", named);
    RunResult r = run_image(disc.build_args(named));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Built " + named + ": "), std::string::npos) << r.err;
    EXPECT_EQ(fs::is_symlink(named), mode == "ht");
    EXPECT_EQ(r.err.find("configuration file") != std::string::npos, mode == "zem") << r.err;

    EXPECT_TRUE(read_file(image) == disc.direct_assembly());
    struct stat st {};
    ASSERT_EQ(::stat(image.c_str(), &st), 0);
    EXPECT_LT(st.st_blocks * 512, st.st_size / 4) << "the gaps are holes";

    r = run_image({"verify", "-C", disc.dir().path(), disc.dlf(), image});
    EXPECT_EQ(r.status, 0) << r.err;

    // One byte of title.txt flipped in the image: verify names that file, nothing else.
    auto items = disc.items();
    uint64_t title = 0;
    for (auto &[offset, name] : items)
      if (name.ends_with("title.txt")) title = offset;
    std::string bytes = read_file(image);
    bytes[title + 7] ^= 0x20;
    write_file(image, bytes);
    r = run_image({"verify", "-C", disc.dir().path(), disc.dlf(), image});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "Error:" + disc.dlf() + ", " + (mode == "zem" ? "5" : "4") + ": " + disc.at("disc/title.txt") +
                         " differs from " + image + " at " + hex(title + 7) + " (1 of its 229 bytes differ)\n");
  }
}

TEST(ImageBuild, BadInputsFailBeforeAnythingIsWritten) {
  struct Case {
    const char *what;
    std::function<std::vector<std::string>(ExampleDisc &)> set_up;  // returns the arguments
    const char *message;  // a part of the error
    int status = 2;
    const char *absent = nullptr;  // a part that must not be said
  };
  auto build = [](ExampleDisc &d, std::vector<std::string> more = {}) { return d.build_args(d.at("out/zem.img"), more); };
  auto map = [](ExampleDisc &d, const std::string &svg) {
    return std::vector<std::string>{"map", "-C", d.dir().path(), "--svg", svg, d.dlf()};
  };
  auto edit = [](ExampleDisc &d, const std::string &from, const std::string &to) { d.replace("out/zem.dlf", from, to); };
  const Case cases[] = {
      {"cut short", [&](ExampleDisc &d) { edit(d, "0x00000000000b8bd8,\"\"\r\n", ""); return build(d); },
       ", 17: the DLF ends without its closing line"},
      {"binary", [&](ExampleDisc &d) { write_file(d.dlf(), std::string("\x7f" "ELF\0\1\2", 7)); return build(d); },
       ", 1: not a DLF"},
      {"no configuration line", [&](ExampleDisc &d) { edit(d, "ZEM_CONFIG", "ZEM_CONFIX"); return build(d); },
       ", 2: a v2.00 DLF must name its configuration file"},
      {"bad item line", [&](ExampleDisc &d) { edit(d, "0x0000000000020000,", "0x00000000000200g0,"); return build(d); },
       ", 4: the offset must be followed by a comma"},
      {"descending", [&](ExampleDisc &d) { edit(d, "0x0000000000020000,", "0x0000000000090000,"); return build(d); },
       "is below the one before it (0x90000)"},
      {"missing file", [&](ExampleDisc &d) { fs::remove(d.at("disc/title.txt")); return build(d); },
       ", 5: cannot use " /* the path and "No such file or directory" follow */},
      {"folder as item", [&](ExampleDisc &d) { edit(d, "disc/title.txt", "disc/data"); return build(d); },
       "data: Is a directory"},
      {"FIFO as item", [&](ExampleDisc &d) { fs::remove(d.at("disc/title.txt")); ::mkfifo(d.at("disc/title.txt").c_str(), 0644); return build(d); },
       "title.txt: not a regular file"},
      {"overlap", [&](ExampleDisc &d) { edit(d, "0x000000000002004c,", "0x0000000000020040,"); return build(d); },
       "title.txt (0x20040-0x20125) overlaps " /* config.ini of line 4 (0x20000-0x20049) in 0x20040-0x20049 */},
      {"past the end", [&](ExampleDisc &d) { edit(d, "0x00000000000b8bd8,\"\"", "0x00000000000b8000,\"\""); return build(d); },
       "runs past the closing offset 0xb8000"},
      {"DLF as item", [&](ExampleDisc &d) { edit(d, "disc/title.txt", "out/zem.dlf"); return build(d); },
       "is the DLF itself"},
      {"image as item", [&](ExampleDisc &d) { write_file(d.at("out/zem.img"), "old"); edit(d, "disc/title.txt", "out/zem.img"); return build(d); },
       "is the image "},
      {"image is the configuration file", [&](ExampleDisc &d) { auto a = build(d); a[5] = d.at("out/zem_config.bin"); return a; },
       ", 2: the image " /* ... is the configuration file ... */},
      // Every file the DLF names is kept from what a command writes.
      {"map drawn over its DLF", [&](ExampleDisc &d) { return map(d, d.dlf()); }, "zem.dlf is the DLF itself"},
      {"map drawn over the configuration file", [&](ExampleDisc &d) { return map(d, d.at("out/zem_config.bin")); },
       ", 2: the map " /* ... */},
      {"map drawn over the system file", [&](ExampleDisc &d) { return map(d, d.at("out/zem_system.bin")); },
       ", 3: this item's file " /* ... is the map ... */},
      {"map in a missing folder", [&](ExampleDisc &d) { return map(d, d.at("none/m.svg")); }, "/none does not exist"},
      {"map onto a folder", [&](ExampleDisc &d) { return map(d, d.at("disc")); }, "disc: it is a folder"},
      {"map onto a FIFO", [&](ExampleDisc &d) { ::mkfifo(d.at("m.svg").c_str(), 0644); return map(d, d.at("m.svg")); },
       "m.svg: no process reads it"},
      {"map onto a full device", [&](ExampleDisc &d) { return map(d, "/dev/full"); },
       "cannot write /dev/full: No space left on device"},
      // An end that wraps round to 0x10 would pass every overlap check.
      {"offset that wraps", [&](ExampleDisc &d) {
         edit(d, "0x00000000000b8bd8,\"\"", "0xfffffffffffffff0,\"disc/title.txt\"\r\n0xffffffffffffffff,\"\"");
         return build(d); },
       ", 18: " /* .../title.txt at 0xfffffffffffffff0 (229 bytes) */},
      {"verify with an unreadable item", [&](ExampleDisc &d) {
         fs::remove(d.at("disc/title.txt"));
         fs::create_directory(d.at("disc/title.txt"));
         return std::vector<std::string>{"verify", "-C", d.dir().path(), d.dlf(), d.at("out/zem_system.bin")}; },
       "title.txt: Is a directory", 2, " holds "},
      {"image is a folder", [&](ExampleDisc &d) { fs::create_directory(d.at("out/zem.img")); return build(d); },
       "zem.img: it is a folder"},
      {"image is a FIFO", [&](ExampleDisc &d) { auto a = build(d); a[5] = d.at("fifo.img"); ::mkfifo(a[5].c_str(), 0644); return a; },
       "fifo.img: it is not a regular file"},
      {"image in a missing folder", [&](ExampleDisc &d) { auto a = build(d); a[5] = d.at("none/x.img"); return a; },
       "its folder " /* .../none does not exist */},
      {"configuration file missing", [&](ExampleDisc &d) { fs::remove(d.at("out/zem_config.bin")); return build(d); },
       ", 2: the configuration file"},
      {"size below the end", [&](ExampleDisc &d) { return build(d, {"--size", "0xb8bd7"}); },
       "--size 0xb8bd7 is below the DLF's closing offset 0xb8bd8"},
      {"size not a number", [&](ExampleDisc &d) { return build(d, {"--size", "1M"}); }, "not a byte count", 1},
      {"no DLF", [&](ExampleDisc &d) { return std::vector<std::string>{"build", d.dlf(), "extra"}; },
       "The following argument was not expected: extra", 1},
      {"verify a short image", [&](ExampleDisc &d) {
         write_file(d.at("out/zem.img"), std::string(0x1000, '\0'));
         return std::vector<std::string>{"verify", "-C", d.dir().path(), d.dlf(), d.at("out/zem.img")}; },
       "zem.img is shorter than the DLF: 4,096 bytes, the closing offset is 0xb8bd8"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    ExampleDisc disc("zem");
    ASSERT_TRUE(disc.made());
    std::vector<std::string> args = c.set_up(disc);
    const std::string config = read_file(disc.at("out/zem_config.bin")), system = read_file(disc.at("out/zem_system.bin"));
    bool had_image = file_exists(disc.at("out/zem.img"));
    std::string before = had_image && !fs::is_directory(disc.at("out/zem.img")) ? read_file(disc.at("out/zem.img")) : "";
    RunResult r = run_image(args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    if (c.absent) {
      EXPECT_EQ(r.err.find(c.absent), std::string::npos) << r.err;
    }
    if (file_exists(disc.at("out/zem_config.bin"))) {
      EXPECT_EQ(read_file(disc.at("out/zem_config.bin")), config);
    }
    EXPECT_EQ(read_file(disc.at("out/zem_system.bin")), system);
    EXPECT_EQ(names_in(disc.at("out"), kOutputs), std::vector<std::string>{});
    EXPECT_EQ(file_exists(disc.at("out/zem.img")), had_image);
    if (had_image && !fs::is_directory(disc.at("out/zem.img"))) {
      EXPECT_EQ(read_file(disc.at("out/zem.img")), before);
    }
  }
}

TEST(ImageBuild, FailuresWhileWritingKeepTheOldImage) {
  struct Case {
    const char *what;
    std::function<void(ExampleDisc &)> change;  // between the checks and the copy
    const char *message;
    rlim_t file_size_limit = RLIM_INFINITY;
  };
  const Case cases[] = {
      {"a file grows", [](ExampleDisc &d) { write_file(d.at("disc/title.txt"), std::string(300, 'x')); },
       "title.txt changed its size (from 229 to 300 bytes) after it was checked"},
      {"a file shrinks", [](ExampleDisc &d) { fs::resize_file(d.at("disc/title.txt"), 10); },
       "title.txt changed its size (from 229 to 10 bytes)"},
      {"a file is replaced", [](ExampleDisc &d) {
         write_file(d.at("new"), std::string(229, 'y'));
         fs::rename(d.at("new"), d.at("disc/title.txt")); },
       "title.txt was replaced or removed after it was checked"},
      // The image is 740 KiB; the file-size limit stops it at 64 KiB, as a full disc would.
      {"the disc fills up", [](ExampleDisc &) {}, "Error: cannot write ", 0x10000},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    ExampleDisc disc("zem");
    ASSERT_TRUE(disc.made());
    const std::string image = disc.at("out/zem.img");
    write_file(image, "the old image");
    ImageRun run;
    struct rlimit old_limit {};
    ::getrlimit(RLIMIT_FSIZE, &old_limit);
    run.after_checks = [&] {
      c.change(disc);
      struct rlimit limit = old_limit;
      limit.rlim_cur = c.file_size_limit;
      ::setrlimit(RLIMIT_FSIZE, &limit);
    };
    RunResult r = run_image(disc.build_args(image), run);
    ::setrlimit(RLIMIT_FSIZE, &old_limit);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(read_file(image), "the old image");
    EXPECT_EQ(names_in(disc.at("out"), kOutputs), std::vector<std::string>{});
  }
}

TEST(ImageHostile, WrittenFilesKeepTheirPlaceAndTheirPermissions) {
  ExampleDisc disc("zem");
  ASSERT_TRUE(disc.made());
  auto build = [&](const std::string &image) { return run_image(disc.build_args(image)); };
  // A name of 250 bytes: the temporary file's name must not grow from it.
  const std::string long_name = disc.at("out/" + std::string(246, 'i') + ".img");
  RunResult r = build(long_name);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(file_exists(long_name));

  // A private image stays private when rebuilt; a new one follows the umask.
  const std::string image = disc.at("out/zem.img");
  write_file(image, "old");
  fs::permissions(image, fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_EQ(build(image).status, 0);
  EXPECT_EQ(fs::status(image).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
  mode_t old_mask = ::umask(027);
  ASSERT_EQ(build(disc.at("out/new.img")).status, 0);
  ::umask(old_mask);
  EXPECT_EQ(fs::status(disc.at("out/new.img")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

}  // namespace
}  // namespace qorv::test
