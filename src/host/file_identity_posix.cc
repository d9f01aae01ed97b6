#include "host/file_identity.h"

#include <cerrno>
#include <ctime>
#include <sys/stat.h>

namespace qorv {

namespace {
int64_t nanoseconds(const struct timespec &t) { return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec; }

void fill(const struct stat &st, FileIdentity &identity) {
  identity.device = static_cast<uint64_t>(st.st_dev);
  identity.inode = static_cast<uint64_t>(st.st_ino);
  identity.size = static_cast<uint64_t>(st.st_size);
  identity.modified_ns = nanoseconds(st.st_mtim);
  identity.changed_ns = nanoseconds(st.st_ctim);
  identity.links = static_cast<uint64_t>(st.st_nlink);
}
}  // namespace

bool file_identity(int fd, FileIdentity &identity, int &error) {
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    error = errno;
    return false;
  }
  fill(st, identity);
  return true;
}

bool file_identity(const std::string &path, FileIdentity &identity, int &error) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    error = errno;
    return false;
  }
  fill(st, identity);
  return true;
}

int64_t file_clock_now_ns() {
  struct timespec t {};
  clock_gettime(CLOCK_REALTIME, &t);
  return nanoseconds(t);
}

}  // namespace qorv
