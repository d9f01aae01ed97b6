// The configuration file of ZEM mode: header copy, zero fill to 0x40000, the
// ZEM system file; nothing in HT mode; its failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "core/run_state.h"
#include "output/system_file_writer.h"
#include "support/settings_builder.h"
#include "support/test_support.h"

namespace qorv {
namespace {

struct ConfigRun {
  test::TempDir dir;
  RunState run;
  std::ostringstream err;
  std::string config_path = dir.at("config.bin");
  std::string zem_path = dir.at("zem.sys");

  explicit ConfigRun(TargetMode mode = TargetMode::ZEM) {
    run.diag_stream = &err;
    run.target_mode = mode;
    test::set_text(run, key::ConfigFileName, config_path);
    test::set_text(run, key::ZEMSysFileName, zem_path);
  }
};

TEST(ConfigFile, HeaderCopyZeroFillAndSystemFile) {
  ConfigRun c;
  for (size_t i = 0; i < 98; ++i) c.run.disc_header_copy[i] = static_cast<uint8_t>(i + 1);
  std::string zem(1000, '\0');
  for (size_t i = 0; i < zem.size(); ++i) zem[i] = static_cast<char>(i % 251);
  test::write_file(c.zem_path, zem);
  c.run.zem_sys_size = zem.size();  // as measured for the user area
  ASSERT_TRUE(write_config_file(c.run));

  std::string header(98, '\0');
  for (size_t i = 0; i < 98; ++i) header[i] = static_cast<char>(i + 1);
  // 98 copied bytes, zero up to 0x40000, then the 1000 bytes of the file.
  EXPECT_EQ(test::read_file(c.config_path), header + std::string(0x40000 - 98, '\0') + zem);
  EXPECT_EQ(c.err.str(), "");
}

TEST(ConfigFile, EmptySystemFileGivesExactlyTheHeaderArea) {
  ConfigRun c;
  test::write_file(c.zem_path, "");
  ASSERT_TRUE(write_config_file(c.run));
  EXPECT_EQ(std::filesystem::file_size(c.config_path), 262144u);
}

TEST(ConfigFile, HtModeWritesNothing) {
  ConfigRun c(TargetMode::HT);
  EXPECT_TRUE(write_config_file(c.run));
  EXPECT_FALSE(test::file_exists(c.config_path));
  EXPECT_EQ(c.err.str(), "");
}

TEST(ConfigFile, Failures) {
  ConfigRun uncreatable;
  std::string nowhere = uncreatable.dir.at("no/such/dir/config.bin");
  test::set_text(uncreatable.run, key::ConfigFileName, nowhere);
  test::write_file(uncreatable.zem_path, "Z");
  EXPECT_FALSE(write_config_file(uncreatable.run));
  EXPECT_EQ(uncreatable.err.str(), "Error: Fail to create file. (" + nowhere + ")\n");

  ConfigRun missing;
  EXPECT_FALSE(write_config_file(missing.run));
  EXPECT_EQ(missing.err.str(), "Error: File open error. (" + missing.zem_path + ")\n");
  EXPECT_EQ(missing.run.error_count, 1);

  ConfigRun directory;
  std::filesystem::create_directory(directory.zem_path);
  EXPECT_FALSE(write_config_file(directory.run));
  EXPECT_EQ(directory.err.str(), "Error: File open error. (" + directory.zem_path + ")\n");

  ConfigRun full;
  test::set_text(full.run, key::ConfigFileName, "/dev/full");
  test::write_file(full.zem_path, "Z");
  EXPECT_FALSE(write_config_file(full.run));
  EXPECT_EQ(full.err.str(), "Error: File write error.(/dev/full)\n");
}

TEST(ConfigFile, SystemFileOf4GiBIsRefused) {
  // A sparse file: its length is kept on the disc in 32 bits.
  ConfigRun c;
  test::write_file(c.zem_path, "");
  std::filesystem::resize_file(c.zem_path, 0x100000000);
  c.run.zem_sys_size = 0x100000000;
  EXPECT_FALSE(write_config_file(c.run));
  EXPECT_EQ(c.err.str(), "Error: " + c.zem_path + " is too large for the disc format.\n");
  EXPECT_EQ(c.run.error_count, 1);
}

}  // namespace
}  // namespace qorv
