// QorvImage list and map on the shipped example in both modes, and list on
// damaged or hostile images.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include <nlohmann/json.hpp>

#include "disc/byte_packing.h"
#include "e2e/image_example.h"
#include "image/image_report.h"

namespace qorv::test {
namespace {

TEST(ImageList, ListAndMapTheExampleInBothModes) {
  for (std::string mode : {"zem", "ht"}) {
    SCOPED_TRACE(mode);
    ExampleDisc disc(mode);
    ASSERT_TRUE(disc.made());
    const std::string image = disc.at("disc.img"), system = disc.at("out/" + mode + "_system.bin");
    ASSERT_EQ(run_image({"build", "-q", "-C", disc.dir().path(), "-o", image, disc.dlf()}).status, 0);
    auto items = disc.items();
    int width = mode == "zem" ? 16 : 8;

    // The image and its system file alone list the same: every file of the
    // DLF at its offset with its size, after the five system regions.
    ImageResult listed = run_image({"list", image});
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(run_image({"list", system}).out, listed.out);
    EXPECT_TRUE(listed.out.starts_with(hex_offset(0, width) + "         1088  [header]\n" +
                                       hex_offset(0x440, width) + "         8192  [BI2]\n"))
        << listed.out;
    ImageResult json = run_image({"list", "--json", image});
    auto document = nlohmann::json::parse(json.out);
    for (size_t i = 1; i + 1 < items.size(); ++i) {
      if (items[i].second.empty()) continue;
      std::string size = std::to_string(read_file(disc.at(items[i].second)).size());
      std::string start = hex_offset(items[i].first, width) + std::string(13 - size.size(), ' ') + size + "  /";
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
    ImageResult map = run_image({"map", "-C", disc.dir().path(), "--width", "40", disc.dlf()});
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

TEST(ImageList, HostileImagesAreRefused) {
  ExampleDisc disc("zem");
  ASSERT_TRUE(disc.made());
  const std::string good = read_file(disc.at("out/zem_system.bin"));
  const size_t fst = 0x18500;  // the FST's position in the example (after the boot file)
  auto word = [&](std::string &bytes, size_t at, uint32_t value) {
    put_be32(std::span<uint8_t>(reinterpret_cast<uint8_t *>(bytes.data()), bytes.size()), at, value);
  };
  struct Case {
    const char *what;
    std::function<void(std::string &)> damage;
    const char *message;
  };
  const Case cases[] = {
      {"too short", [](std::string &b) { b.resize(100); }, "is too short for a disc header: 100 bytes"},
      {"no magic word", [](std::string &b) { b[0x18] = 0; }, "holds no disc header: no magic word of either mode"},
      {"FST past the end", [&](std::string &b) { word(b, 0x428, 0x10000); }, "lies beyond the end of the file"},
      {"entry count", [&](std::string &b) { word(b, fst + 8, 0xFFFFFF); }, "FST entry 0: entry count 16777215 that"},
      {"root not a folder", [&](std::string &b) { b[fst] = 0; }, "FST entry 0: the root is not a directory"},
      {"name offset", [&](std::string &b) { word(b, fst + 12, 0x01FFFFFF); }, "FST entry 1: name offset 0xffffff lies outside"},
      {"no terminating zero", [&](std::string &b) { std::fill(b.end() - 8, b.end(), 'A'); },
       "FST entry 17: its name at 0x"},
      {"unknown type", [&](std::string &b) { b[fst + 24] = 0x0B; }, "FST entry 2: unknown entry type 0x0b"},
      {"range backwards", [&](std::string &b) { word(b, fst + 12 + 8, 1); }, "FST entry 1: its range ends at 1, at or before"},
      {"range beyond", [&](std::string &b) { word(b, fst + 12 + 8, 0x7FFFFFFF); }, "beyond its parent's end 18"},
      {"parent loop", [&](std::string &b) { word(b, fst + 4 * 12 + 4, 4); }, "FST entry 4: parent index 4, but it lies in directory 1"},
      {"twin without file", [&](std::string &b) { b[fst + 11 * 12] = 0; }, "FST entry 12: a mirror twin that follows no mirrored file"},
      {"copy list past the end", [&](std::string &b) { b[fst + 13 * 12] = 0x0C; word(b, fst + 13 * 12 + 4, 0x1000); },
       "FST entry 13: its copy list at 0x1000 runs beyond the end of the FST"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = good;
    c.damage(bytes);
    write_file(disc.at("bad.bin"), bytes);
    ImageResult r = run_image({"list", disc.at("bad.bin")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  // verify reads the same FST: title.txt's entry moved by 4 bytes is neither
  // an item nor does its item have an entry (and the system file differs).
  ASSERT_EQ(run_image({"build", "-q", "-C", disc.dir().path(), "-o", disc.at("x.img"), disc.dlf()}).status, 0);
  std::string image = read_file(disc.at("x.img"));
  word(image, fst + 13 * 12 + 4, (0x2004c + 4) / 4);
  write_file(disc.at("x.img"), image);
  ImageResult r = run_image({"verify", "-C", disc.dir().path(), disc.dlf(), disc.at("x.img")});
  EXPECT_EQ(r.status, 2);
  // The system file's path as the DLF spells it ("out/" on every host), after -C.
  const std::string system_file = disc.dir().path() + host_path("/") + "out/zem_system.bin";
  EXPECT_EQ(r.err, "Error:" + disc.dlf() + ", 3: " + system_file + " differs from " + disc.at("x.img") +
                   " at 0x185a3 (1 of its 99,940 bytes differ)\n"
                   "Error: " + disc.at("x.img") + ": FST entry 13 (/title.txt, at 0x20050) is no item of the DLF\n"
                   "Error:" + disc.dlf() + ", 5: " + disc.at("disc/title.txt") + " at 0x2004c is reached by no FST entry of " +
                   disc.at("x.img") + "\n");
}

}  // namespace
}  // namespace qorv::test
