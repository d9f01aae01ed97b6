// QorvImage build updating an image in place, in-process: after each kind of
// edit the image equals a full build and verifies; a record that does not
// match the image, or an update that did not end, gives a full build. The
// counts in the summaries are the example's items, counted by hand.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "support/example_disc.h"

namespace qorv::test {
namespace {

namespace fs = std::filesystem;

// A source changed within this long before a build is written again by the
// next one (its times could hide a further change): the set-ups wait it out.
void let_the_file_clock_pass() { std::this_thread::sleep_for(std::chrono::milliseconds(60)); }

struct Disc : ExampleDisc {
  Disc() : ExampleDisc("zem") {}
  // Laid out, then built in full once the sources lie behind the file clock.
  RunResult first_build() const {
    EXPECT_TRUE(made());
    let_the_file_clock_pass();
    return build();
  }
  std::string image() const { return at("out/zem.img"); }
  RunResult build(std::vector<std::string> more = {}, ImageRun *run = nullptr) const {
    ImageRun own;
    return run_image(build_args(image(), more), run ? *run : own);
  }
  // The image equals a full build of the same DLF into another file, and verifies.
  void expect_as_full_build(std::vector<std::string> options = {}) const {
    options.push_back("--full");
    RunResult full = run_image(build_args(at("full.img"), options));
    ASSERT_EQ(full.status, 0) << full.err;
    EXPECT_TRUE(read_file(image()) == read_file(at("full.img")));
    struct stat updated {}, whole {};
    ::stat(image().c_str(), &updated);
    ::stat(at("full.img").c_str(), &whole);
    EXPECT_LE(updated.st_blocks, whole.st_blocks + 16) << "the image stays sparse";
    RunResult verified = run_image({"verify", "-C", dir().path(), dlf(), image()});
    EXPECT_EQ(verified.status, 0) << verified.err;
  }
};

TEST(ImageUpdate, EachEditGivesTheImageOfAFullBuild) {
  struct Case {
    const char *what;
    std::function<void(const Disc &)> edit;
    const char *summary;  // a part of the update's summary line
    std::vector<std::string> options = {};
  };
  const Case cases[] = {
      // Nothing laid out again: nothing written, not even the record.
      {"nothing changed", nullptr, ": 0 of 12 items written (0 bytes), 12 unchanged, "},
      // The system file is written by every layout: it and the edited file.
      {"same size", [](const Disc &d) { write_file(d.at("disc/title.txt"), std::string(229, 't')); },
       ": 2 of 12 items written (100,169 bytes), 10 unchanged"},
      // theme.snd (3,000 bytes at 0x30000) grows past the voice files: they move.
      {"grown", [](const Disc &d) { write_file(d.at("disc/sound/theme.snd"), std::string(5000, 'g')); },
       ": 5 of 12 items written"},
      {"shrunk", [](const Disc &d) { fs::resize_file(d.at("disc/sound/theme.snd"), 100); }, ": 5 of 12 items written"},
      {"file removed", [](const Disc &d) { fs::remove(d.at("disc/data/config.ini")); }, ": 3 of 11 items written"},
      {"file added", [](const Disc &d) { write_file(d.at("disc/data/added.bin"), std::string(70000, 'a')); },
       ": 7 of 13 items written"},
            // [LbaAlign] and [Layout] name sound/: the copy of theme.snd goes.
      {"folder renamed", [](const Disc &d) { fs::rename(d.at("disc/sound"), d.at("disc/audio")); }, ": 6 of 11 items"},
      {"system file changed", [](const Disc &d) { d.replace("common.ddf", "GameVersion      = 1", "GameVersion = 2"); },
       ": 1 of 12 items written (99,940 bytes)"},
      {"configuration file changed", [](const Disc &d) { write_file(d.at("sys/zemsys.bin"), std::string(4000, 'z')); },
       ": 1 of 12 items written (99,940 bytes)"},
      {"image made longer", nullptr, ": 0 of 12 items written", {"--size", "0x100000"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    Disc disc;
    RunResult r = disc.first_build();
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("(full build: no image)"), std::string::npos) << r.err;
    if (c.edit) {
      c.edit(disc);
      ASSERT_TRUE(disc.lay_out());
    }
    const std::string record = read_file(disc.image() + ".build-record");
    r = disc.build(c.options);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Updated " + disc.image() + c.summary), std::string::npos) << r.err;
    if (!c.edit && c.options.empty()) {
      EXPECT_EQ(read_file(disc.image() + ".build-record"), record);
    }
    disc.expect_as_full_build(c.options);
    if (!c.options.empty()) {
      EXPECT_EQ(fs::file_size(disc.image()), 0x100000u);
      r = disc.build();  // and back to the closing offset
      EXPECT_NE(r.err.find(": 0 of 12 items written"), std::string::npos) << r.err;
      disc.expect_as_full_build();
    }
  }
}

TEST(ImageUpdate, ARecordThatDoesNotMatchGivesAFullBuild) {
  struct Case {
    const char *what;
    std::function<void(const Disc &)> change;  // after the first build
    const char *reason;
    const char *note = nullptr;  // a part of the note about the record
  };
  auto record = [](const Disc &d) { return d.image() + ".build-record"; };
  const Case cases[] = {
      {"image rewritten by cp", [](const Disc &d) { run_quietly("cp '" + d.at("sys/loader.bin") + "' '" + d.image() + "'"); },
       "the image was changed since the build record was written"},
      {"image touched", [](const Disc &d) { run_quietly("touch -d '2001-01-01' '" + d.image() + "'"); },
       "the image was changed since"},
      {"image truncated", [](const Disc &d) { fs::resize_file(d.image(), 4096); }, "the image was changed since"},
      {"image removed", [](const Disc &d) { fs::remove(d.image()); }, "no image"},
      {"record removed", [&](const Disc &d) { fs::remove(record(d)); }, "no build record"},
      {"record cut short", [&](const Disc &d) { fs::resize_file(record(d), fs::file_size(record(d)) - 30); },
       "the build record is damaged", "is ignored: an item line is damaged"},
      {"record cut at a line end", [&](const Disc &d) { d.replace("out/zem.img.build-record", "end 12\n", ""); },
       "the build record is damaged", "is ignored: it is cut short"},
      {"record binary", [&](const Disc &d) { write_file(record(d), std::string("\x7f" "ELF\0\1\2\n", 8)); },
       "the build record is damaged", "is ignored: it is no build record"},
      {"record of a later version", [&](const Disc &d) { d.replace("out/zem.img.build-record", "record 1\n", "record 7\n"); },
       "the build record is of another version", "is ignored: it is of another version (7)"},
      {"record of another image", [&](const Disc &d) { d.replace("out/zem.img.build-record", "image zem.img\n", "image a.img\n"); },
       "the build record names another image"},
      {"record with items out of order", [&](const Disc &d) { d.replace("out/zem.img.build-record", "item 0x20000 ", "item 0x90000 "); },
       "the build record is damaged", "its items do not fit the image"},
      {"--full", nullptr, "--full"},
      // A hard link kept as a copy must not change with the image (a new link changes the
      // image's change time).
      {"image with a second name", [](const Disc &d) { fs::create_hard_link(d.image(), d.at("copy.img")); },
       "the image was changed since"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    Disc disc;
    RunResult r = disc.first_build();
    ASSERT_EQ(r.status, 0) << r.err;
    if (c.change) c.change(disc);
    const std::string old_image = read_file(disc.image());
    write_file(disc.at("disc/title.txt"), std::string(229, 'n'));
    r = disc.build(c.change ? std::vector<std::string>{} : std::vector<std::string>{"--full"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find(std::string("(full build: ") + c.reason), std::string::npos) << r.err;
    if (c.note) {
      EXPECT_NE(r.err.find(c.note), std::string::npos) << r.err;
    }
    disc.expect_as_full_build();
    if (file_exists(disc.at("copy.img"))) {
      EXPECT_TRUE(read_file(disc.at("copy.img")) == old_image);
    }
    EXPECT_NE(disc.build().err.find("Updated "), std::string::npos) << "the new record holds";
  }
}

TEST(ImageUpdate, AnUpdateThatDidNotEndIsRebuiltAndNeverVerifies) {
  struct Case {
    const char *what;
    std::function<void(const Disc &)> during;  // once the update writes
    const char *message;
  };
  const Case cases[] = {
      {"Ctrl-C", [](const Disc &) { ::raise(SIGINT); }, "Error: interrupted; "},
      {"source grows", [](const Disc &d) { write_file(d.at("disc/title.txt"), std::string(300, 'x')); },
       "title.txt changed its size (from 229 to 300 bytes) after it was checked; "},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    Disc disc;
    ASSERT_EQ(disc.first_build().status, 0);
    write_file(disc.at("disc/title.txt"), std::string(229, 'u'));
    ImageRun run;
    run.before_update_writes = [&] { c.during(disc); };
    RunResult r = disc.build({}, &run);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    // In place (no file system here shares blocks), the record says so; on a
    // clone the old image stays whole.
    const bool in_place = read_file(disc.image() + ".build-record").find("state updating") != std::string::npos;
    write_file(disc.at("disc/title.txt"), std::string(229, 'v'));
    if (in_place) {
      EXPECT_NE(r.err.find(disc.image() + " is incomplete; the next build writes it whole"), std::string::npos);
      RunResult v = run_image({"verify", "-C", disc.dir().path(), disc.dlf(), disc.image()});
      EXPECT_EQ(v.status, 2);
      EXPECT_EQ(v.err, "Error: " + disc.image() + " is incomplete: an update of it was interrupted; rebuild it with: "
                           "QorvImage build -C " + disc.dir().path() + " -o " + disc.image() + " " + disc.dlf() + "\n");
    }
    r = disc.build();
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find(in_place ? "(full build: an earlier update was interrupted)" : "Updated "), std::string::npos)
        << r.err;
    disc.expect_as_full_build();
  }
}

}  // namespace
}  // namespace qorv::test
