// What a release promises: both programs print the one version the build (and
// so the package) was made with, and the licence; the installed manual pages too.
#include <gtest/gtest.h>

#include "support/run_tool.h"
#include "support/test_support.h"

namespace qorv::test {
namespace {

TEST(Release, ProgramsAndManualPagesShowTheOneVersionAndTheLicence) {
  std::string licence = read_file(std::string(QORV_SOURCE_DIR) + "/LICENSE");
  ASSERT_EQ(licence.rfind("MIT License\n", 0), 0u);
  ASSERT_NE(licence.find(" the QorvMakeDlf developers\n"), std::string::npos);
  const std::string notice = "Copyright (c) the QorvMakeDlf developers. MIT License.";

  std::string banner = run_tool({"-v"}).err;
  EXPECT_EQ(banner.substr(0, banner.find('\n')), "QorvMakeDlf version " QORV_VERSION " " + notice);
  EXPECT_EQ(run_image({"--version"}).out, "QorvImage " QORV_VERSION "\n" + notice + "\n");

  for (std::string program : {"QorvMakeDlf", "QorvImage"}) {
    std::string page = read_file(std::string(QORV_BUILD_DIR) + "/man/" + program + ".1");
    EXPECT_NE(page.find("\" \"" + program + " " QORV_VERSION "\" \"User Commands\"\n"), std::string::npos)
        << program;
    EXPECT_NE(page.find("the MIT License"), std::string::npos) << program;
  }
}

}  // namespace
}  // namespace qorv::test
