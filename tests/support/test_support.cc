#include "support/test_support.h"

#include "host/host_path.h"
#include "host/multibyte_text.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace qorv::test {

TempDir::TempDir() : path_(make_temp_directory()) {}

TempDir::~TempDir() {
  std::error_code ec;
  // Make read-only leftovers of a test removable.
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec))
    if (it->is_directory(ec) && !it->is_symlink(ec))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

std::string TempDir::at(const std::string &relative) const { return host_path(path_ + "/" + relative); }

std::string host_path(std::string path) {
  for (char &c : path)
    if (c == '/') c = HOST_PATH_SEPARATOR;
  return path;
}

std::string host_text(const std::string &utf8) { return host_message_text(utf8); }

std::string TempDir::write(const std::string &relative, const std::string &content) const {
  std::string p = at(relative);
  fs::create_directories(fs::path(p).parent_path());
  write_file(p, content);
  return p;
}

std::string TempDir::mkdir(const std::string &relative) const {
  std::string p = at(relative);
  fs::create_directories(p);
  return p;
}

void write_file(const std::string &path, const std::string &content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string read_file(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool file_exists(const std::string &path) { return fs::exists(path); }

std::vector<std::string> names_in(const std::string &dir, const std::vector<std::string> &keep) {
  std::vector<std::string> out;
  for (const auto &e : fs::directory_iterator(dir)) {
    std::string name = e.path().filename().string();
    if (std::find(keep.begin(), keep.end(), name) == keep.end()) out.push_back(name);
  }
  return out;
}

}  // namespace qorv::test
