#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

#include "support/test_support.h"

namespace qorv::test {

std::string make_temp_directory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qorv-test-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

void set_environment(const std::string &name, const std::string &value) { ::setenv(name.c_str(), value.c_str(), 1); }

void unset_environment(const std::string &name) { ::unsetenv(name.c_str()); }

bool make_symlink(const std::string &target, const std::string &path) {
  return ::symlink(target.c_str(), path.c_str()) == 0;
}

bool host_makes_symlinks() { return true; }

bool make_hard_link(const std::string &target, const std::string &path) {
  return ::link(target.c_str(), path.c_str()) == 0;
}

bool writes_read_only_files() { return ::geteuid() == 0; }

int run_quietly(const std::string &command) {
  int status = std::system((command + " 2>/dev/null").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
}

}  // namespace qorv::test
