// Options, the usage text and the layer names.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "core/run_state.h"

namespace qorv {
namespace {

const std::string kUsage =
    "Syntax: QorvMakeDlf [-v] <input file1> [<input file2>] [<input file3>]\n"
    "Function: Creates disk layout file.\n"
    "Options:\n"
    "   -v   Displays version info.\n";
const std::string kBanner = "QorvMakeDlf version 1.0.5.0 ";

struct Parsed {
  RunState run;
  std::ostringstream err;
  bool ok = false;
  explicit Parsed(std::vector<std::string> args) {
    run.diag_stream = &err;
    std::vector<const char *> argv{"prog"};
    for (auto &a : args) argv.push_back(a.c_str());
    ok = parse_command_line(run, static_cast<int>(argv.size()), argv.data());
  }
};

TEST(CommandLine, WrongNumberOfFilesShowsUsage) {
  for (auto args : {std::vector<std::string>{}, std::vector<std::string>{"a", "b", "c", "d"}}) {
    Parsed p(args);
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.err.str(), kUsage);
    EXPECT_EQ(p.run.error_count, 1);
    EXPECT_EQ(p.run.store.layers[0].file_name, "");  // no layer is named
  }
}

TEST(CommandLine, QuestionMarkStopsAtOnce) {
  Parsed p({"-v", "a.ddf", "-?", "-v", "b.ddf"});
  EXPECT_FALSE(p.ok);
  // The banner of the first -v, then the usage; the -v after -? is never read.
  ASSERT_EQ(p.err.str().rfind(kBanner, 0), 0u);
  EXPECT_EQ(p.err.str().substr(p.err.str().find('\n') + 1), kUsage);
}

TEST(CommandLine, VersionAloneThenUsage) {
  Parsed p({"-verbose"});
  EXPECT_FALSE(p.ok);
  std::string out = p.err.str();
  ASSERT_EQ(out.rfind(kBanner, 0), 0u);
  EXPECT_EQ(out.substr(out.find('\n') + 1), kUsage);
}

TEST(CommandLine, IllegalOptionsAreAllReported) {
  Parsed p({"-x", "A", "-", "-Q"});
  EXPECT_FALSE(p.ok);
  EXPECT_EQ(p.err.str(),
            "Error: illegal option used. (-x)\n"
            "Error: illegal option used. (-)\n"
            "Error: illegal option used. (-Q)\n");
  EXPECT_EQ(p.run.error_count, 3);
}

TEST(CommandLine, AbsoluteRootAndLayers) {
  Parsed p({"-abc", "", "B", "C"});
  EXPECT_TRUE(p.ok);
  EXPECT_TRUE(p.run.absolute_root);
  EXPECT_EQ(p.err.str(), "");
  // The empty argument is a name: layer 1 stays empty and is skipped later.
  EXPECT_EQ(p.run.store.layers[0].file_name, "");
  EXPECT_EQ(p.run.store.layers[1].file_name, "B");
  EXPECT_EQ(p.run.store.layers[2].file_name, "C");
}

}  // namespace
}  // namespace qorv
