// What tells one state of a file from another without reading it: the file
// (device and inode; volume and file index on Windows), its size and the
// times of its last change of content and of any change. An update of the
// image trusts an item whose identity is as recorded to hold the bytes it
// held then.
#pragma once

#include <cstdint>
#include <string>

namespace qorv {

struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t size = 0;
  int64_t modified_ns = 0;  // content last written, nanoseconds of the host's file clock
  int64_t changed_ns = 0;   // anything last changed (POSIX ctime; Windows ChangeTime)
  uint64_t links = 1;       // names the file has (hard links); not part of its identity

  bool operator==(const FileIdentity &o) const {
    return device == o.device && inode == o.inode && size == o.size && modified_ns == o.modified_ns &&
           changed_ns == o.changed_ns;
  }
};

// The identity of the open file `fd` (a C runtime descriptor on Windows);
// false with errno's value in `error` when the host cannot tell it.
bool file_identity(int fd, FileIdentity &identity, int &error);
// The same by path, links followed.
bool file_identity(const std::string &path, FileIdentity &identity, int &error);

// The host's file clock now, in the unit and from the epoch of the times
// above: a file changed after this call has times at or after it, give or
// take the file system's granularity.
int64_t file_clock_now_ns();

}  // namespace qorv
