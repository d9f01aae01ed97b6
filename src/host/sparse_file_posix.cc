#include "host/sparse_file.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace qorv {

FileRun file_run_at(int fd, uint64_t offset, uint64_t size) {
  if (offset >= size) return {false, size};
  off_t data = ::lseek(fd, static_cast<off_t>(offset), SEEK_DATA);
  if (data < 0) return errno == ENXIO ? FileRun{false, size} : FileRun{true, size};  // ENXIO: only a hole follows
  if (static_cast<uint64_t>(data) > offset) return {false, std::min<uint64_t>(static_cast<uint64_t>(data), size)};
  off_t hole = ::lseek(fd, static_cast<off_t>(offset), SEEK_HOLE);
  if (hole <= static_cast<off_t>(offset)) return {true, size};
  return {true, std::min<uint64_t>(static_cast<uint64_t>(hole), size)};
}

int zero_range(int fd, uint64_t offset, uint64_t length) {
  if (length == 0) return 0;
  int r;
  do {
    r = ::fallocate(fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, static_cast<off_t>(offset),
                    static_cast<off_t>(length));
  } while (r != 0 && errno == EINTR);
  if (r == 0) return 0;
  if (errno != EOPNOTSUPP && errno != ENOSYS) return errno;
  // The file system keeps no holes: zeros, one buffer at a time.
  std::vector<char> zeros(static_cast<size_t>(std::min<uint64_t>(length, 1u << 20)), 0);
  for (uint64_t done = 0; done < length;) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(length - done, zeros.size()));
    ssize_t n = ::pwrite(fd, zeros.data(), want, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : ENOSPC;
    done += static_cast<uint64_t>(n);
  }
  return 0;
}

}  // namespace qorv
