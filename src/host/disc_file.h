// Files of the disc image tool: status by path or descriptor, reading at an
// offset, and the temporary file that becomes an image only once complete.
// POSIX descriptors; every call is retried on EINTR. Windows: C runtime
// descriptors over the system's handles; errors as errno values
// (windows_error.h), device and inode are the volume serial number and the
// file id.
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

// The folder part of `path`: "." when it has none, "/" for the root's entries.
std::string folder_of_path(const std::string &path);

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

// The largest size a file can have (the host's 64-bit signed file offset):
// an image, and every item in it, must end by this.
inline constexpr uint64_t LARGEST_FILE_SIZE = INT64_MAX;

// A file being written that replaces `target` only once complete. Where the
// file system allows it the file has no name until `commit` (O_TMPFILE), so
// whatever ends the process (SIGKILL, a power cut) leaves nothing behind;
// elsewhere it is a short hidden name beside the target, removed when the
// object is discarded or destroyed before. It takes the permission bits of
// the regular file it replaces (never wider: group bits are dropped when the
// old file's group cannot be kept); a new file follows the umask.
// Windows: a named file beside the target, marked to be deleted when its
// handle closes (so nothing stays however the process ends) until
// `commit` flushes it, unmarks it and moves it over the target
// (MoveFileEx, replacing and written through); it is sparse where the
// file system allows.
class ReplacementFile {
public:
  ReplacementFile() = default;
  ReplacementFile(const ReplacementFile &) = delete;
  ReplacementFile &operator=(const ReplacementFile &) = delete;
  ~ReplacementFile() { discard(); }

  // Creates the file in `target`'s folder; false with `error()`.
  bool create(const std::string &target);
  // Appends `length` bytes; false with `error()`.
  bool write(const void *data, uint64_t length);
  // Sets the file's length (extends with a hole); false with `error()`.
  bool set_length(uint64_t length);
  // Syncs, names the file and renames it over the target; on failure
  // nothing of it stays once it is discarded.
  bool commit();
  void discard();

  int fd() const { return fd_; }
  // Empty while the file has no name.
  const std::string &path() const { return path_; }
  int error() const { return error_; }

private:
  bool open_named(const std::string &folder, unsigned mode);
  void keep_old_mode();

  int fd_ = -1;
  std::string path_;
  std::string folder_;
  std::string target_;
  int error_ = 0;
};

// Writes `length` bytes to an existing character device (a terminal,
// /dev/null) or pipe; 0 or the errno of the failure: ENXIO when no process
// reads the pipe (the open never waits for one), ENODEV when `path` is
// anything else (a block device is never written).
int write_to_device(const std::string &path, const void *data, uint64_t length);

}  // namespace qorv
