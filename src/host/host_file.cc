#include "host/host_file.h"

#include "host/file_descriptor.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qorv {

HostFile::~HostFile() { close(); }

bool HostFile::open(const std::string &path, FileAccess access) {
  if (is_open()) close();
  struct stat st;
  int fd = access == FileAccess::Read ? open_input_descriptor(path, st) : open_output_descriptor(path, st);
  if (fd < 0) return false;
  fd_ = fd;
  access_ = access;
  path_ = path;
  count_ = access == FileAccess::Read ? static_cast<uint64_t>(st.st_size) : 0;
  return true;
}

bool HostFile::close() {
  if (!is_open()) return false;
  int fd = fd_;
  fd_ = -1;
  count_ = 0;
  path_.clear();
  return ::close(fd) == 0;
}

bool HostFile::read(void *buffer, uint32_t length) {
  if (!is_open()) return false;
  auto *p = static_cast<char *>(buffer);
  uint32_t done = 0;
  while (done < length) {
    ssize_t n = ::read(fd_, p + done, length - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<uint32_t>(n);
  }
  return true;
}

bool HostFile::write(const void *buffer, size_t length) {
  if (!is_open()) return false;
  // The Windows C runtime counts the bytes of one call in 32 bits.
  constexpr size_t MOST_PER_CALL = size_t{1} << 30;
  auto *p = static_cast<const char *>(buffer);
  size_t done = 0;
  while (done < length) {
    ssize_t n = ::write(fd_, p + done, static_cast<unsigned>(std::min(length - done, MOST_PER_CALL)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  count_ += length;
  return true;
}

uint64_t HostFile::position() const {
  if (!is_open()) return ~uint64_t{0};
  off_t pos = ::lseek(fd_, 0, SEEK_CUR);
  return pos < 0 ? ~uint64_t{0} : static_cast<uint64_t>(pos);
}

uint64_t HostFile::size() const {
  if (!is_open()) return ~uint64_t{0};
  return access_ == FileAccess::Read ? count_ : position();
}

}  // namespace qorv
