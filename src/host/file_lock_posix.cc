#include "host/file_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qorv {

int FileLock::acquire(const std::string &path) {
  release();
  for (;;) {
    int fd;
    do {
      fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))
      fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return errno == ELOOP ? ENODEV : errno;
    struct stat held, named;
    if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
      ::close(fd);
      return ENODEV;
    }
    int r;
    do {
      r = ::flock(fd, LOCK_EX);
    } while (r != 0 && errno == EINTR);
    if (r != 0) {
      int error = errno;
      ::close(fd);
      return error;
    }
    // The holder before may have renamed a new file over the path, or
    // removed it: then the lock is on a file nobody will look at.
    if (::stat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
      fd_ = fd;
      path_ = path;
      return 0;
    }
    ::close(fd);
  }
}

void FileLock::release() {
  if (fd_ < 0) return;
  // Only while the path still names the locked file: a record renamed over
  // it is not touched.
  struct stat held, named;
  if (::fstat(fd_, &held) == 0 && held.st_size == 0 && ::stat(path_.c_str(), &named) == 0 &&
      named.st_dev == held.st_dev && named.st_ino == held.st_ino)
    ::unlink(path_.c_str());
  ::close(fd_);  // closing drops the lock
  fd_ = -1;
  path_.clear();
}

}  // namespace qorv
