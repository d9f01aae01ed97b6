// Helpers shared by the tests: scratch directories and whole files.
#pragma once

#include <string>

namespace qorv::test {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes away.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;

  const std::string &path() const { return path_; }
  // `path()` + "/" + `relative`.
  std::string at(const std::string &relative) const;
  // Writes `content` to `relative`, creating parent directories.
  std::string write(const std::string &relative, const std::string &content) const;
  std::string mkdir(const std::string &relative) const;

private:
  std::string path_;
};

void write_file(const std::string &path, const std::string &content);
std::string read_file(const std::string &path);
bool file_exists(const std::string &path);

}  // namespace qorv::test
