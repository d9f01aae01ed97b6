// QorvImage list and map on the shipped example in both modes, and on
// crafted images: damaged ones, and names of any bytes. In-process; the
// crafted images are written byte by byte (support/crafted_disc.h), their
// expected messages worked out from those bytes by hand.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>

#include <nlohmann/json.hpp>

#include "support/crafted_disc.h"
#include "support/example_disc.h"

namespace qorv::test {
namespace {

TEST(ImageList, ListAndMapTheExampleInBothModes) {
  for (std::string mode : {"zem", "ht"}) {
    SCOPED_TRACE(mode);
    ExampleDisc disc(mode);
    ASSERT_TRUE(disc.made());
    const std::string image = disc.at("disc.img"), system = disc.at("out/" + mode + "_system.bin");
    ASSERT_EQ(run_image(disc.build_args(image)).status, 0);
    auto items = disc.items();
    int width = mode == "zem" ? 16 : 8;

    // The image and its system file alone list the same: every file of the
    // DLF at its offset with its size, after the five system regions.
    RunResult listed = run_image({"list", image});
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(run_image({"list", system}).out, listed.out);
    EXPECT_TRUE(listed.out.starts_with(hex(0, width) + "         1088  [header]\n" +
                                       hex(0x440, width) + "         8192  [BI2]\n"))
        << listed.out;
    RunResult json = run_image({"list", "--json", image});
    auto document = nlohmann::json::parse(json.out);
    for (size_t i = 1; i + 1 < items.size(); ++i) {
      if (items[i].second.empty()) continue;
      std::string size = std::to_string(read_file(disc.at(items[i].second)).size());
      std::string start = hex(items[i].first, width) + std::string(13 - size.size(), ' ') + size + "  /";
      EXPECT_NE(listed.out.find(start), std::string::npos) << items[i].second;
      size_t found = 0;
      for (const auto &entry : document)
        if (entry["kind"] == "file" && entry["offset"] == items[i].first && entry["size"] == std::stoull(size)) ++found;
      EXPECT_EQ(found, 1u) << items[i].second;
    }
    EXPECT_EQ(document.size(), 5u + (mode == "zem" ? 18u : 17u));
    EXPECT_EQ(document[5], nlohmann::json::parse(std::string(R"({"entries":[1,)") + (mode == "zem" ? "17" : "16") +
                                                 R"(],"index":0,"kind":"directory","path":"/"})"));
    EXPECT_NE(run_image({"list", "--long", image}).out.find(mode == "zem" ? " 14 holds 15-17       /addon/\n"
                                                                           : " 13 holds 14-16       /addon/\n"),
              std::string::npos);
    if (mode == "zem") {
      EXPECT_NE(listed.out.find("/sound/theme.snd  (mirror twin)\n"), std::string::npos);
    }

    // The text map: five top-level groups, the areas from the header.
    RunResult map = run_image({"map", "-C", disc.dir().path(), "--width", "40", disc.dlf()});
    ASSERT_EQ(map.status, 0) << map.err;
    EXPECT_NE(map.out.find("user area    0x20000 - " + std::string(mode == "zem" ? "0xbfde0" : "0xfffe0")), std::string::npos)
        << map.out;
    EXPECT_NE(map.out.find("  movie/                        5,120 bytes        1 files  0x7ec00 - 0x80000\n"),
              std::string::npos);
    EXPECT_NE(map.out.find("\n|###"), std::string::npos);

    // The SVG parses as XML (POSIX: Python reads it; Windows, with no Python
    // there: the rectangles are read as text); each item's rectangle starts
    // at 20 + offset * 1160 / closing offset (the band's left edge and width
    // in pixels).
    const std::string svg = disc.at("map.svg"), rects = disc.at("rects.txt");
    ASSERT_EQ(run_image({"map", "-C", disc.dir().path(), "--svg", svg, disc.dlf()}).status, 0);
    std::string drawn;
    if (kWindowsHost) {
      const std::string text = read_file(svg);
      for (size_t at = 0; (at = text.find("<rect x=\"", at)) != std::string::npos;) {
        at += 9;
        const size_t close = text.find('>', at), end = text.find("</title>", close);
        if (text.compare(close, 8, "><title>") == 0 && end != std::string::npos)
          drawn += "\n" + text.substr(at, text.find('"', at) - at) + " " + text.substr(close + 8, end - close - 8);
      }
    } else {
      std::string script = "import xml.etree.ElementTree as E, sys\n"
                           "n = '{http://www.w3.org/2000/svg}'\n"
                           "for r in E.parse(sys.argv[1]).getroot().iter(n + 'rect'):\n"
                           "  t = r.find(n + 'title')\n"
                           "  if t is not None: print(r.get('x'), t.text)\n";
      write_file(disc.at("rects.py"), script);
      ASSERT_EQ(std::system(("python3 '" + disc.at("rects.py") + "' '" + svg + "' > '" + rects + "'").c_str()), 0);
      drawn = read_file(rects);
    }
    for (const char *name : {"disc/title.txt", "disc/movie/opening.vid", "disc/data/levels/level1.map"}) {
      uint64_t offset = 0;
      for (auto &[o, n] : items)
        if (n == host_path(name)) offset = o;
      char x[32];
      std::snprintf(x, sizeof x, "%.3f ", 20 + double(offset) * 1160 / double(items.back().first));
      EXPECT_NE(drawn.find(std::string("\n") + x + "/"), std::string::npos) << name << "\n" << drawn;
    }
  }
}

// Folder d holding folder e, which holds file a (0x40 bytes at 0x100000), then
// file b in d (0x40 bytes at 0x100040): a crafted FST of five records and the
// names "d", "e", "a", "b" at offsets 0, 2, 4 and 6.
const CraftedDisc kTwoFiles = [] {
  CraftedDisc d;
  d.records = {record(0x01000000, 0, 5), record(0x01000000, 0, 5), record(0x01000002, 1, 4),
               record(0x00000004, 0x100000 / 4, 0x40), record(0x00000006, 0x100040 / 4, 0x40)};
  d.names = std::string("d\0e\0a\0b\0", 8);
  return d;
}();

TEST(ImageList, HostileImagesAreRefused) {
  struct Case {
    const char *what;
    std::function<void(CraftedDisc &)> craft;
    const char *message;
    uint64_t cut = 0;  // the file's size, when it is cut short
  };
  const Case cases[] = {
      {"too short", [](CraftedDisc &) {}, "is too short for a disc header: 100 bytes", 100},
      {"no magic word", [](CraftedDisc &d) { d.magic = 0; }, "holds no disc header: no magic word of either mode"},
      {"FST past the end", [](CraftedDisc &d) { d.claimed_fst_size = 0x40000; }, "lies beyond the end of the file"},
      {"entry count", [](CraftedDisc &d) { d.records[0] = record(0x01000000, 0, 0xFFFFFF); }, "FST entry 0: entry count 16777215 that"},
      {"root not a folder", [](CraftedDisc &d) { d.records[0] = record(0, 0, 5); }, "FST entry 0: the root is not a directory"},
      {"name offset", [](CraftedDisc &d) { d.records[1] = record(0x01FFFFFF, 0, 5); }, "FST entry 1: name offset 0xffffff lies outside"},
      {"no terminating zero", [](CraftedDisc &d) { d.names = std::string("d\0e\0a\0bb", 8); }, "FST entry 4: its name at 0x"},
      {"unknown type", [](CraftedDisc &d) { d.records[3] = record(0x0B000004, 0x100000 / 4, 0x40); }, "FST entry 3: unknown entry type 0x0b"},
      {"range backwards", [](CraftedDisc &d) { d.records[1] = record(0x01000000, 0, 1); }, "FST entry 1: its range ends at 1, at or before"},
      {"range beyond", [](CraftedDisc &d) { d.records[1] = record(0x01000000, 0, 0x7FFFFFFF); }, "beyond its parent's end 5"},
      {"parent loop", [](CraftedDisc &d) { d.records[2] = record(0x01000002, 2, 4); }, "FST entry 2: parent index 2, but it lies in directory 1"},
      {"twin without file", [](CraftedDisc &d) { d.records[4] = record(0x06000006, 0x100040 / 4, 0x40); },
       "FST entry 4: a mirror twin that follows no mirrored file"},
      {"copy list past the end", [](CraftedDisc &d) { d.records[3] = record(0x0C000004, 0x1000, 0x40); },
       "FST entry 3: its copy list at 0x1000 runs beyond the end of the FST"},
  };
  TempDir dir;
  kTwoFiles.write(dir.at("good.bin"));
  ASSERT_EQ(run_image({"list", dir.at("good.bin")}).status, 0);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    CraftedDisc disc = kTwoFiles;
    c.craft(disc);
    disc.write(dir.at("bad.bin"));
    if (c.cut) std::filesystem::resize_file(dir.at("bad.bin"), c.cut);
    RunResult r = run_image({"list", dir.at("bad.bin")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  // verify reads the same FST: in an image built with a's position 4 bytes
  // later, a's entry is no item and a's item has no entry; the system file
  // differs in the last byte of that word, at 0x440 + 3 * 12 + 4 + 3 = 0x46b,
  // of its 0x440 + 5 * 12 + 8 = 1,156 bytes.
  for (const char *name : {"a", "b"}) write_file(dir.at(name), std::string(0x40, *name));
  write_file(dir.at("cfg.bin"), "");
  auto dlf = [&](const std::string &system) {
    return dir.write(system + ".dlf", zem_dlf(dir.at("cfg.bin"), {{0, dir.at(system)}, {0x100000, dir.at("a")},
                                                                  {0x100040, dir.at("b")}, {0x100080, ""}}));
  };
  CraftedDisc moved = kTwoFiles;
  moved.records[3] = record(0x00000004, 0x100004 / 4, 0x40);
  moved.write(dir.at("moved.bin"));
  ASSERT_EQ(run_image({"build", "-q", "-o", dir.at("x.img"), dlf("moved.bin")}).status, 0);
  RunResult r = run_image({"verify", dlf("good.bin"), dir.at("x.img")});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "Error:" + dir.at("good.bin.dlf") + ", 3: " + dir.at("good.bin") + " differs from " + dir.at("x.img") +
                   " at 0x46b (1 of its 1,156 bytes differ)\n"
                   "Error: " + dir.at("x.img") + ": FST entry 3 (/d/e/a, at 0x100004) is no item of the DLF\n"
                   "Error:" + dir.at("good.bin.dlf") + ", 4: " + dir.at("a") + " at 0x100000 is reached by no FST entry of " +
                   dir.at("x.img") + "\n");
}

TEST(ImageHostile, NamesOfAnyBytesAreListedAndDrawnSafely) {
  if (kWindowsHost) GTEST_SKIP() << "names are shown in the host's code page there";
  // Names that would forge a row, drive a terminal, or break XML: overlong
  // UTF-8, a surrogate, a non-character, a code point past U+10FFFF, a lead
  // byte past 0xF4; and one valid name.
  const std::vector<std::string> names = {"a\nforged  /x", "\x1b[31mred", "o\xC0\x80", "s\xED\xA0\x80",
                                          "n\xEF\xBF\xBE", "p\xF4\x90\x80\x80", "l\xF5", "caf\xC3\xA9"};
  TempDir dir;
  CraftedDisc disc;
  disc.records.push_back(record(0x01000000, 0, static_cast<uint32_t>(names.size() + 1)));
  std::vector<std::pair<uint64_t, std::string>> items{{0, dir.at("sys.bin")}};
  for (uint32_t k = 0; k < names.size(); ++k) {
    const uint64_t offset = 0x100000 * (k + 1);  // far enough apart to be drawn one by one
    disc.records.push_back(record(static_cast<uint32_t>(disc.names.size()), static_cast<uint32_t>(offset / 4), 1));
    disc.names += names[k] + std::string(1, '\0');
    write_file(dir.at("f" + std::to_string(k)), "x");
    items.emplace_back(offset, dir.at("f" + std::to_string(k)));
  }
  disc.write(dir.at("sys.bin"));
  items.emplace_back(0x100000 * (names.size() + 1), "");
  write_file(dir.at("disc.dlf"), zem_dlf("cfg.bin", items));

  // Text: one row per region and entry, no control byte but the line ends.
  // Read as UTF-8 (detected, names in neither encoding are shown in bytes).
  RunResult text = run_image({"list", "--code-page", "utf-8", dir.at("sys.bin")});
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

}  // namespace
}  // namespace qorv::test
