// Files of the disc image tool: status by path or descriptor, reading at an
// offset, and the temporary file that becomes an image only once complete.
// POSIX descriptors; every call is retried on EINTR.
#pragma once

#include <cstdint>
#include <string>

namespace qorv {

enum class DiscFileKind { Missing, Regular, Directory, Other };

struct DiscFileStatus {
  DiscFileKind kind = DiscFileKind::Missing;
  uint64_t size = 0;
  uint64_t allocated = 0;  // bytes the file system holds for it
  uint64_t device = 0;
  uint64_t inode = 0;
  int error = 0;  // errno when Missing

  bool same_file(const DiscFileStatus &other) const {
    return kind != DiscFileKind::Missing && device == other.device && inode == other.inode;
  }
};

// The status of `path`, following symbolic links.
DiscFileStatus disc_file_status(const std::string &path);
DiscFileStatus disc_file_status(int fd);

// The text of an errno value ("No such file or directory").
std::string error_text(int error);

// A file opened read-only, read at given offsets. Never opens a directory or
// a device: only regular files.
class DiscFileReader {
public:
  DiscFileReader() = default;
  DiscFileReader(const DiscFileReader &) = delete;
  DiscFileReader &operator=(const DiscFileReader &) = delete;
  ~DiscFileReader();

  // False (with `error()`) when the file is missing, unreadable or not a
  // regular file (EISDIR for a directory, ENODEV for anything else).
  bool open(const std::string &path);
  void close();
  // Up to `length` bytes from `offset`; fewer only at the end of the file.
  // -1 on a read error (with `error()`).
  int64_t read_at(uint64_t offset, void *buffer, uint64_t length);

  int fd() const { return fd_; }
  const DiscFileStatus &status() const { return status_; }
  int error() const { return error_; }

private:
  int fd_ = -1;
  DiscFileStatus status_;
  int error_ = 0;
};

// An image being written: a new file in the target's folder, renamed over
// the target only by `commit`; removed when discarded or destroyed before.
class TemporaryImageFile {
public:
  TemporaryImageFile() = default;
  TemporaryImageFile(const TemporaryImageFile &) = delete;
  TemporaryImageFile &operator=(const TemporaryImageFile &) = delete;
  ~TemporaryImageFile() { discard(); }

  // Creates ".NAME.tmp-PID-N" beside `target` (mode 0666 less the umask).
  bool create(const std::string &target);
  // Sets the file's length (extends with a hole); false with `error()`.
  bool set_length(uint64_t length);
  // Syncs, closes and renames over the target; on failure the file stays
  // for `discard`.
  bool commit();
  void discard();

  int fd() const { return fd_; }
  const std::string &path() const { return path_; }
  int error() const { return error_; }

private:
  int fd_ = -1;
  std::string path_;
  std::string target_;
  int error_ = 0;
};

}  // namespace qorv
