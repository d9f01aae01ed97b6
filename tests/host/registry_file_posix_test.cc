#include "host/registry_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

#include "support/test_support.h"

namespace qorv {
namespace {

// Saves and restores the three variables that place the export file.
class RegistryFileLocation : public ::testing::Test {
protected:
  void SetUp() override {
    for (const char *name : kNames) {
      const char *v = std::getenv(name);
      saved_.push_back(v ? std::optional<std::string>(v) : std::nullopt);
    }
  }
  void TearDown() override {
    for (size_t i = 0; i < std::size(kNames); ++i) {
      if (saved_[i]) ::setenv(kNames[i], saved_[i]->c_str(), 1);
      else ::unsetenv(kNames[i]);
    }
  }
  static constexpr const char *kNames[] = {"QORV_REGISTRY_FILE", "XDG_CONFIG_HOME", "HOME"};
  std::vector<std::optional<std::string>> saved_;
};

TEST_F(RegistryFileLocation, ExplicitFileThenConfigHomeThenHome) {
  ::setenv("QORV_REGISTRY_FILE", "/x/values.reg", 1);
  ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
  ::setenv("HOME", "/home/u", 1);
  EXPECT_EQ(registry_export_path(), "/x/values.reg");
  ::setenv("QORV_REGISTRY_FILE", "", 1);  // empty counts as unset
  EXPECT_EQ(registry_export_path(), "/cfg/Kelvane/QORV.reg");
  ::setenv("XDG_CONFIG_HOME", "", 1);
  EXPECT_EQ(registry_export_path(), "/home/u/.config/Kelvane/QORV.reg");
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(registry_export_path(), "/home/u/.config/Kelvane/QORV.reg");
}

TEST_F(RegistryFileLocation, MissingFileOrDirectoryMeansNoValues) {
  auto read_all = [] { return read_registry_export(SIZE_MAX, [](std::string_view) { return true; }); };
  test::TempDir dir;
  ::setenv("QORV_REGISTRY_FILE", dir.at("none.reg").c_str(), 1);
  EXPECT_FALSE(read_all().opened);
  ::setenv("QORV_REGISTRY_FILE", dir.path().c_str(), 1);
  EXPECT_FALSE(read_all().opened);
  std::string bytes("REGEDIT4\r\n\0\xFF", 12);
  ::setenv("QORV_REGISTRY_FILE", dir.write("v.reg", bytes).c_str(), 1);
  EXPECT_EQ(read_all().bytes, bytes);
}

}  // namespace
}  // namespace qorv
