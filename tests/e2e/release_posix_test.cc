// What a release promises about versions and the licence: both programs print
// the one version the build (and so the package) was made with, with the
// licence's holder and name, and the manual pages as installed say the same.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "e2e/image_example.h"
#include "support/run_tool.h"

namespace qorv::test {
namespace {

std::string read_text(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(Release, ProgramsAndManualPagesShowTheOneVersionAndTheLicence) {
  std::string licence = read_text(std::string(QORV_SOURCE_DIR) + "/LICENSE");
  ASSERT_EQ(licence.rfind("MIT License\n", 0), 0u);
  ASSERT_NE(licence.find(" the QorvMakeDlf developers\n"), std::string::npos);
  const std::string notice = "Copyright (c) the QorvMakeDlf developers. MIT License.";

  RunResult make_dlf = run_tool({"-v"});
  EXPECT_EQ(make_dlf.err.substr(0, make_dlf.err.find('\n')),
            "QorvMakeDlf version " QORV_VERSION " " + notice);
  ImageResult image = run_image({"--version"});
  EXPECT_EQ(image.status, 0);
  EXPECT_EQ(image.out, "QorvImage " QORV_VERSION "\n" + notice + "\n");

  for (std::string program : {"QorvMakeDlf", "QorvImage"}) {
    std::string page = read_text(std::string(QORV_BUILD_DIR) + "/man/" + program + ".1");
    EXPECT_NE(page.find("\" \"" + program + " " QORV_VERSION "\" \"User Commands\"\n"), std::string::npos)
        << program;
    EXPECT_NE(page.find("the MIT License"), std::string::npos) << program;
  }
}

}  // namespace
}  // namespace qorv::test
