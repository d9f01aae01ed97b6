#include "host/file_descriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace qorv {

int open_file_descriptor(const std::string &path, int flags, struct stat &status) {
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return -1;
  if (::fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

int open_input_descriptor(const std::string &path, struct stat &status) {
  int fd = open_file_descriptor(path, O_RDONLY | O_NONBLOCK, status);
  if (fd < 0) return -1;
  if (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode) ||
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

int open_output_descriptor(const std::string &path, struct stat &status) {
  int fd = open_file_descriptor(path, O_WRONLY | O_CREAT | O_NONBLOCK, status);
  if (fd < 0) return -1;
  const bool regular = S_ISREG(status.st_mode);
  if ((!regular && !S_ISCHR(status.st_mode)) || (regular && ::ftruncate(fd, 0) != 0) ||
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace qorv
