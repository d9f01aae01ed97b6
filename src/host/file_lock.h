// An exclusive lock on a file that other runs replace by renaming (the build
// record): two builds of one image take turns. The lock is taken on the file
// the path names once it is held, so a file renamed over it meanwhile is
// locked anew.
#pragma once

#include <string>

namespace qorv {

class FileLock {
public:
  FileLock() = default;
  FileLock(const FileLock &) = delete;
  FileLock &operator=(const FileLock &) = delete;
  ~FileLock() { release(); }

  // Waits for the lock on `path`, creating an empty file there when none is
  // (where the folder cannot take one, an existing file is locked read-only).
  // 0 or errno's value.
  int acquire(const std::string &path);
  // Releases it; an empty file that nobody has written is removed first.
  void release();

private:
  int fd_ = -1;
  std::string path_;
};

}  // namespace qorv
