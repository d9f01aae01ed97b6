#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <windows.h>

#include "support/test_support.h"

namespace qorv::test {

std::string make_temp_directory() {
  std::string base = std::filesystem::temp_directory_path().string();
  if (!base.empty() && base.back() == '\\') base.pop_back();
  for (unsigned attempt = 0; attempt < 1000; ++attempt) {
    std::string path = base + "\\qorv-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
                       std::to_string(::GetTickCount() + attempt);
    if (::CreateDirectoryA(path.c_str(), nullptr)) return path;
  }
  throw std::runtime_error("no temporary directory");
}

void set_environment(const std::string &name, const std::string &value) { ::_putenv_s(name.c_str(), value.c_str()); }

// An empty value removes the variable.
void unset_environment(const std::string &name) { ::_putenv_s(name.c_str(), ""); }

bool make_symlink(const std::string &target, const std::string &path) {
  DWORD flags = 0;
  if (std::filesystem::is_directory(std::filesystem::path(path).parent_path() / target) ||
      std::filesystem::is_directory(target))
    flags = SYMBOLIC_LINK_FLAG_DIRECTORY;
  // Wine reports success without making the link: look for it.
  return ::CreateSymbolicLinkA(path.c_str(), target.c_str(), flags) &&
         ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool host_makes_symlinks() {
  TempDir dir;
  return make_symlink(dir.write("target", ""), dir.at("link"));
}

bool make_hard_link(const std::string &target, const std::string &path) {
  return ::CreateHardLinkA(path.c_str(), target.c_str(), nullptr);
}

// Under Wine the tests run as the build machine's user, who may be root.
bool writes_read_only_files() { return true; }

int run_quietly(const std::string &command) { return std::system((command + " 2>NUL").c_str()); }

}  // namespace qorv::test
