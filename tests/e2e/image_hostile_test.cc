// QorvImage on images made to hurt it, run as a user would run it: each is
// refused with a message and status 2, without output, within 1 GiB of
// address space (prlimit --as) however much the image claims; names of any
// bytes are listed and drawn safely; standard output that cannot be written
// is a failure.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include <nlohmann/json.hpp>

#include "disc/fst_format.h"
#include "disc/system_area_format.h"
#include "e2e/image_example.h"
#include "image/image_report.h"
#include "support/hex_bytes.h"

namespace qorv::test {
namespace {

namespace fs = std::filesystem;
using K = FstKind;
using R = ReplicaKind;

// A ZEM system file made from FST records: the header (magic word and boot
// block), the FST at 0x440 (records, names, the words behind them), and as
// much sparse space behind it as asked.
struct CraftedDisc {
  std::vector<FstRecord> records;  // the root first
  std::string names;
  std::vector<uint32_t> words;     // copy lists
  uint64_t claimed_fst_size = 0;   // 0: what the parts take
  uint64_t file_size = 0;          // 0: where the FST ends
  uint64_t user_area_length = 0x100000;

  void write(const std::string &path) const {
    std::string fst;
    for (const FstRecord &r : records) {
      auto record = encode_fst_record(r, FstFormat::Advanced);
      fst.append(record.begin(), record.end());
    }
    fst += names;
    fst.resize(name_table_size(TargetMode::ZEM, fst.size()));  // ZEM stores the FST's size / 4
    for (uint32_t w : words) fst += be32(w);
    std::array<uint8_t, DISC_HEADER_SIZE> header{};
    put_magic_word(std::span(header).first<DISC_ID_BLOCK_SIZE>(), TargetMode::ZEM);
    const uint64_t fst_size = claimed_fst_size ? claimed_fst_size : fst.size();
    auto bb2 = encode_bb2_block({DISC_HEADER_SIZE, DISC_HEADER_SIZE, fst_size, fst_size, 0, 0x100000, user_area_length},
                                TargetMode::ZEM);
    std::copy(bb2.begin(), bb2.end(), header.begin() + BB2_BLOCK_OFFSET);
    write_file(path, std::string(header.begin(), header.end()) + fst);
    if (file_size > header.size() + fst.size()) fs::resize_file(path, file_size);
  }
};

// QorvImage run as a process, in 1 GiB of address space (not under the
// address sanitizer, which reserves far more for itself).
struct Outcome {
  int status = -1;
  uint64_t out_size = 0;
  std::string err;
};

Outcome run_program(const TempDir &dir, const std::string &args, const std::string &out_redirect = "") {
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
  d.records.push_back({K::Directory, R::Ordinary, 0, 0, depth + 1});
  for (uint32_t i = 1; i <= depth; ++i) d.records.push_back({K::Directory, R::Ordinary, 0, i - 1, depth + 1});
  d.names = name + std::string(1, '\0');
  return d;
}

// Copied files of 0x40 bytes, one per start: file k's copy list begins at
// word `starts[k]` behind the 4-byte name table ("f").
CraftedDisc copied(const std::vector<uint32_t> &starts, std::vector<uint32_t> words) {
  CraftedDisc d;
  d.records.push_back({K::Directory, R::Ordinary, 0, 0, static_cast<uint32_t>(starts.size() + 1)});
  for (uint32_t start : starts) d.records.push_back({K::File, R::Copied, 0, 4 + 4 * start, 0x40});
  d.names = std::string("f\0\0\0", 4);
  d.words = std::move(words);
  return d;
}

TEST(ImageHostile, ImagesAreRefusedInBoundedMemoryWithoutOutput) {
  std::vector<uint32_t> shared(30001, COPY_LIST_END);  // 30,000 places, then the end word
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
         d.records.push_back({K::Directory, R::Ordinary, 0, 0, 0x2AAAAAAA});
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
    write_file(dlf, "v2.00\r\nZEM_CONFIG_FILE,\"cfg.bin\"\r\n0x0000000000000000,\"" + image + "\"\r\n" +
                        hex_offset(fs::file_size(image), 16) + ",\"\"\r\n");
    for (const std::string &command :
         std::vector<std::string>{"list", "list --json", "verify '" + dlf + "'", "map", "map --svg " + dir.at("m.svg")}) {
      SCOPED_TRACE(command);
      if (command.starts_with("verify") && c.disc.file_size > 0) continue;  // it would compare 8 GiB with itself
      const bool needs_dlf = command.starts_with("map");
      Outcome o = run_program(dir, command + " '" + (needs_dlf ? dlf : image) + "'");
      EXPECT_EQ(o.status, 2);
      EXPECT_EQ(o.out_size, 0u);
      EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err.substr(0, 2000);
      EXPECT_FALSE(file_exists(dir.at("m.svg")));
    }
  }
}

TEST(ImageHostile, NamesOfAnyBytesAreListedAndDrawnSafely) {
  // Names that would forge a row, drive a terminal, or break XML: overlong
  // UTF-8, a surrogate, a non-character, a code point past U+10FFFF, a lead
  // byte past 0xF4; and one valid name.
  const std::vector<std::string> names = {"a\nforged  /x", "\x1b[31mred", "o\xC0\x80", "s\xED\xA0\x80",
                                          "n\xEF\xBF\xBE", "p\xF4\x90\x80\x80", "l\xF5", "caf\xC3\xA9"};
  TempDir dir;
  CraftedDisc disc;
  disc.records.push_back({K::Directory, R::Ordinary, 0, 0, static_cast<uint32_t>(names.size() + 1)});
  std::string dlf_items;
  for (uint32_t k = 0; k < names.size(); ++k) {
    const uint64_t offset = 0x100000 * (k + 1);  // far enough apart to be drawn one by one
    disc.records.push_back({K::File, R::Ordinary, static_cast<uint32_t>(disc.names.size()), static_cast<uint32_t>(offset / 4), 1});
    disc.names += names[k] + std::string(1, '\0');
    write_file(dir.at("f" + std::to_string(k)), "x");
    dlf_items += hex_offset(offset, 16) + ",\"" + dir.at("f" + std::to_string(k)) + "\"\r\n";
  }
  disc.write(dir.at("sys.bin"));
  write_file(dir.at("disc.dlf"), "v2.00\r\nZEM_CONFIG_FILE,\"cfg.bin\"\r\n0x0000000000000000,\"" + dir.at("sys.bin") +
                                     "\"\r\n" + dlf_items + hex_offset(0x100000 * (names.size() + 1), 16) + ",\"\"\r\n");

  // Text: one row per region and entry, no control byte but the line ends.
  // Read as UTF-8 (detected, names in neither encoding are shown in bytes).
  ImageResult text = run_image({"list", "--code-page", "utf-8", dir.at("sys.bin")});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_EQ(std::count(text.out.begin(), text.out.end(), '\n'), static_cast<long>(5 + 1 + names.size()));
  EXPECT_EQ(std::count_if(text.out.begin(), text.out.end(), [](char c) { return c != '\n' && static_cast<unsigned char>(c) < 0x20; }), 0);
  for (const char *shown : {"/a\\x0Aforged  /x\n", "/\\x1B[31mred\n", "/o\\xC0\\x80\n", "/s\\xED\\xA0\\x80\n",
                            "/p\\xF4\\x90\\x80\\x80\n", "/l\\xF5\n", "/caf\xC3\xA9\n"})
    EXPECT_NE(text.out.find(shown), std::string::npos) << shown;
  EXPECT_EQ(nlohmann::json::parse(run_image({"list", "--json", dir.at("sys.bin")}).out).size(), 5 + 1 + names.size());

  // The SVG parses, and its titles hold every name.
  ASSERT_EQ(run_image({"map", "--svg", dir.at("m.svg"), dir.at("disc.dlf")}).status, 0);
  write_file(dir.at("titles.py"), "import xml.etree.ElementTree as E, sys\n"
                                  "n = '{http://www.w3.org/2000/svg}'\n"
                                  "print(sum(1 for t in E.parse(sys.argv[1]).getroot().iter(n + 'title')))\n");
  EXPECT_EQ(run_quietly("test \"$(python3 '" + dir.at("titles.py") + "' '" + dir.at("m.svg") + "')\" -ge " +
                        std::to_string(names.size())),
            0);
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
      Outcome o = run_program(disc.dir(), command, redirect);
      EXPECT_EQ(o.status, 2);
      EXPECT_EQ(o.err, std::string("Error: cannot write standard output: ") + reason + "\n");
    }
}

TEST(ImageHostile, WrittenFilesKeepTheirPlaceAndTheirPermissions) {
  ExampleDisc disc("zem");
  ASSERT_TRUE(disc.made());
  auto build = [&](const std::string &image) {
    return run_image({"build", "-q", "-C", disc.dir().path(), "-o", image, disc.dlf()});
  };
  // A name of 250 bytes: the temporary file's name must not grow from it.
  const std::string long_name = disc.at("out/" + std::string(246, 'i') + ".img");
  ImageResult r = build(long_name);
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
