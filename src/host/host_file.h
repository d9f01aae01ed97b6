// A raw file on the host with 64-bit sizes and all-or-nothing reads and
// writes. Reports failure by its results only; callers choose the message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qorv {

enum class FileAccess { Read, Write };

class HostFile {
public:
  HostFile() = default;
  HostFile(const HostFile &) = delete;
  HostFile &operator=(const HostFile &) = delete;
  ~HostFile();

  // Read: the file must exist (count = its size) and be no FIFO or socket,
  // which could keep the open waiting for a writer. Write: created or
  // truncated (count = 0); the open never blocks, and anything but a regular
  // file or a character device (a FIFO, a block device) is refused. A directory is
  // never opened. A file still open is closed first.
  bool open(const std::string &path, FileAccess access);
  // False when nothing was open or the close failed.
  bool close();
  // Exactly `length` bytes or failure; a write of any length is split into
  // as many host calls as it takes.
  bool read(void *buffer, uint32_t length);
  bool write(const void *buffer, size_t length);
  // Current position, or all bits set on failure.
  uint64_t position() const;
  // All bits set when closed; the size at open for reading; else position().
  uint64_t size() const;

  bool is_open() const { return fd_ >= 0; }
  uint64_t count() const { return count_; }
  const std::string &path() const { return path_; }

private:
  int fd_ = -1;
  FileAccess access_ = FileAccess::Read;
  uint64_t count_ = 0;
  std::string path_;
};

}  // namespace qorv
