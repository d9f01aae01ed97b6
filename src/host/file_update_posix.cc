#include "host/file_update.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qorv {

int open_for_update(const std::string &path, int &fd) {
  // O_NONBLOCK: a FIFO must not hold the open; it is refused below.
  do {
    fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return errno;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    fd = -1;
    return ENODEV;
  }
  ::fcntl(fd, F_SETFL, 0);
  return 0;
}

int set_file_length(int fd, uint64_t length) {
  int r;
  do {
    r = ::ftruncate(fd, static_cast<off_t>(length));
  } while (r != 0 && errno == EINTR);
  return r == 0 ? 0 : errno;
}

int sync_file(int fd) {
  int r;
  do {
    r = ::fsync(fd);
  } while (r != 0 && errno == EINTR);
  return r == 0 ? 0 : errno;
}

int close_file(int fd) { return ::close(fd) == 0 || errno == EINTR ? 0 : errno; }

int remove_file(const std::string &path) { return ::unlink(path.c_str()) == 0 ? 0 : errno; }

}  // namespace qorv
