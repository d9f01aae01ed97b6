#include "host/disc_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qorv {

namespace {
DiscFileStatus from_stat(const struct stat &st) {
  DiscFileStatus s;
  s.kind = S_ISREG(st.st_mode)   ? DiscFileKind::Regular
           : S_ISDIR(st.st_mode) ? DiscFileKind::Directory
                                 : DiscFileKind::Other;
  s.size = static_cast<uint64_t>(st.st_size);
  s.allocated = static_cast<uint64_t>(st.st_blocks) * 512;
  s.device = static_cast<uint64_t>(st.st_dev);
  s.inode = static_cast<uint64_t>(st.st_ino);
  return s;
}

DiscFileStatus missing(int error) {
  DiscFileStatus s;
  s.error = error;
  return s;
}
}  // namespace

DiscFileStatus disc_file_status(const std::string &path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return missing(errno);
  return from_stat(st);
}

DiscFileStatus disc_file_status(int fd) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return missing(errno);
  return from_stat(st);
}

std::string error_text(int error) { return std::strerror(error); }

DiscFileReader::~DiscFileReader() { close(); }

bool DiscFileReader::open(const std::string &path) {
  close();
  // O_NONBLOCK: a FIFO named here must not block the open; it is refused below.
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    error_ = errno;
    return false;
  }
  status_ = disc_file_status(fd);
  if (status_.kind != DiscFileKind::Regular) {
    error_ = status_.kind == DiscFileKind::Directory ? EISDIR : ENODEV;
    ::close(fd);
    return false;
  }
  ::fcntl(fd, F_SETFL, 0);
  fd_ = fd;
  return true;
}

void DiscFileReader::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

int64_t DiscFileReader::read_at(uint64_t offset, void *buffer, uint64_t length) {
  uint64_t done = 0;
  while (done < length) {
    ssize_t n = ::pread(fd_, static_cast<char *>(buffer) + done, length - done,
                        static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error_ = errno;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<uint64_t>(n);
  }
  return static_cast<int64_t>(done);
}

bool TemporaryImageFile::create(const std::string &target) {
  discard();
  target_ = target;
  size_t slash = target.rfind('/');
  std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    path_ = dir + "." + base + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    int fd;
    do {
      fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
      fd_ = fd;
      return true;
    }
    error_ = errno;
    if (errno != EEXIST) break;
  }
  path_.clear();
  return false;
}

bool TemporaryImageFile::set_length(uint64_t length) {
  int r;
  do {
    r = ::ftruncate(fd_, static_cast<off_t>(length));
  } while (r != 0 && errno == EINTR);
  if (r != 0) error_ = errno;
  return r == 0;
}

bool TemporaryImageFile::commit() {
  int r;
  do {
    r = ::fsync(fd_);
  } while (r != 0 && errno == EINTR);
  if (r != 0) {
    error_ = errno;
    return false;
  }
  r = ::close(fd_);
  fd_ = -1;
  if (r != 0 && errno != EINTR) {
    error_ = errno;
    return false;
  }
  if (::rename(path_.c_str(), target_.c_str()) != 0) {
    error_ = errno;
    return false;
  }
  path_.clear();
  return true;
}

void TemporaryImageFile::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!path_.empty()) ::unlink(path_.c_str());
  path_.clear();
}

}  // namespace qorv
