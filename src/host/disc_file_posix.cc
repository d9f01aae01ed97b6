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

namespace {
// A name for the file while it is written or named: short, so that any
// name the target may have still leaves room in its folder.
std::string short_name(const std::string &folder, int attempt) {
  return folder + "/.qorv-" + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
}
}  // namespace

std::string folder_of_path(const std::string &path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool ReplacementFile::create(const std::string &target) {
  discard();
  target_ = target;
  folder_ = folder_of_path(target);
  error_ = 0;
#ifdef O_TMPFILE
  int fd;
  do {
    fd = ::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd >= 0) {
    fd_ = fd;
    keep_old_mode();
    return true;
  }
  // File systems without unnamed files refuse in several ways: a named
  // file stands in for it, and says what is really wrong.
#endif
  return open_named(folder_, 0666);
}

bool ReplacementFile::open_named(const std::string &folder, unsigned mode) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    path_ = short_name(folder, attempt);
    int fd;
    do {
      fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
      fd_ = fd;
      keep_old_mode();
      return true;
    }
    error_ = errno;
    if (errno != EEXIST) break;
  }
  path_.clear();
  return false;
}

void ReplacementFile::keep_old_mode() {
  struct stat old, now;
  if (::stat(target_.c_str(), &old) != 0 || !S_ISREG(old.st_mode) || ::fstat(fd_, &now) != 0) return;
  mode_t mode = old.st_mode & 0777;
  // Root keeps the owner too; anyone else may only keep a group they are in.
  if (now.st_uid != old.st_uid) (void)::fchown(fd_, old.st_uid, static_cast<gid_t>(-1));
  if (now.st_gid != old.st_gid && ::fchown(fd_, static_cast<uid_t>(-1), old.st_gid) != 0) mode &= ~mode_t{070};
  (void)::fchmod(fd_, mode);
}

bool ReplacementFile::write(const void *data, uint64_t length) {
  uint64_t done = 0;
  while (done < length) {
    ssize_t n = ::write(fd_, static_cast<const char *>(data) + done, length - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = n < 0 ? errno : EIO;
      return false;
    }
    done += static_cast<uint64_t>(n);
  }
  return true;
}

bool ReplacementFile::set_length(uint64_t length) {
  int r;
  do {
    r = ::ftruncate(fd_, static_cast<off_t>(length));
  } while (r != 0 && errno == EINTR);
  if (r != 0) error_ = errno;
  return r == 0;
}

bool ReplacementFile::commit() {
  int r;
  do {
    r = ::fsync(fd_);
  } while (r != 0 && errno == EINTR);
  if (r != 0) {
    error_ = errno;
    return false;
  }
  if (path_.empty()) {
    // An unnamed file gets a short name first (through its /proc link, or
    // by its descriptor where /proc is missing): rename cannot take a
    // descriptor.
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      std::string name = short_name(folder_, attempt);
      r = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW);
#ifdef AT_EMPTY_PATH
      if (r != 0 && errno == ENOENT) r = ::linkat(fd_, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH);
#endif
      if (r == 0) path_ = name;
      else if (errno != EEXIST) break;
    }
    if (path_.empty()) {
      error_ = errno;
      return false;
    }
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
  // The rename itself lasts once the folder is synced.
  int folder = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    (void)::fsync(folder);
    ::close(folder);
  }
  return true;
}

void ReplacementFile::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!path_.empty()) ::unlink(path_.c_str());
  path_.clear();
}

int write_to_device(const std::string &path, const void *data, uint64_t length) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return errno;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !(S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)) ||
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return ENODEV;
  }
  int error = 0;
  for (uint64_t done = 0; done < length && error == 0;) {
    ssize_t n = ::write(fd, static_cast<const char *>(data) + done, length - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) error = n < 0 ? errno : EIO;
    else done += static_cast<uint64_t>(n);
  }
  if (::close(fd) != 0 && error == 0 && errno != EINTR) error = errno;
  return error;
}

}  // namespace qorv
