// Helpers shared by the tests: scratch directories and whole files, and
// what differs between the POSIX and the Windows host (test_host_posix.cc,
// test_host_windows.cc).
#pragma once

#include <string>
#include <vector>

namespace qorv::test {

// True in the Windows build (its tests run under Wine).
inline constexpr bool kWindowsHost = QORV_WINDOWS_HOST;

// `path` with each "/" turned into the host's separator ("\" on Windows).
std::string host_path(std::string path);

// The catalog's UTF-8 text `utf8` as the host prints it (Windows: in the
// ANSI code page).
std::string host_text(const std::string &utf8);

void set_environment(const std::string &name, const std::string &value);
void unset_environment(const std::string &name);

// A symbolic link at `path` to `target`, and a hard link; false when the
// host could not make it.
bool make_symlink(const std::string &target, const std::string &path);
// False where symbolic links cannot be made at all (Wine makes none).
bool host_makes_symlinks();
bool make_hard_link(const std::string &target, const std::string &path);

// True when this process may write a file marked read-only (root on POSIX).
bool writes_read_only_files();

// Runs `command` through the host's shell, its error stream discarded; its
// exit status as the host gives it, or -1000 when it did not exit.
int run_quietly(const std::string &command);

// A new, empty directory under the system's temporary directory.
std::string make_temp_directory();

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes away.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;

  const std::string &path() const { return path_; }
  // `path()` + the separator + `relative` (its "/" turned into the host's).
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
// The names in folder `dir` but those in `keep` (what a failed run left).
std::vector<std::string> names_in(const std::string &dir, const std::vector<std::string> &keep = {});

}  // namespace qorv::test
