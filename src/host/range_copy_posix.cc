#include "host/range_copy.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace qorv {

namespace {
// Pieces small enough that an interrupt is noticed within a few milliseconds.
constexpr uint64_t PIECE = 8u << 20;
constexpr size_t BUFFER_SIZE = 1u << 20;

// Errors after which the kernel will not copy between these files at all.
bool kernel_refuses(int error) {
  return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP ||
         error == EBADF || error == ETXTBSY || error == EPERM;
}

// One piece through the buffer; returns the bytes copied, 0 at the source's
// end, -1 on failure (status in `failed`).
int64_t copy_through_buffer(RangeCopier &c, int source, uint64_t from, int target, uint64_t to,
                            uint64_t length, CopyStatus &failed) {
  if (c.buffer.empty()) c.buffer.resize(BUFFER_SIZE);
  size_t want = static_cast<size_t>(std::min<uint64_t>(length, c.buffer.size()));
  ssize_t n;
  do {
    n = ::pread(source, c.buffer.data(), want, static_cast<off_t>(from));
  } while (n < 0 && errno == EINTR);
  if (n < 0) {
    c.error = errno;
    failed = CopyStatus::ReadFailed;
    return -1;
  }
  for (ssize_t put = 0; put < n;) {
    ssize_t w = ::pwrite(target, c.buffer.data() + put, static_cast<size_t>(n - put),
                         static_cast<off_t>(to + static_cast<uint64_t>(put)));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      c.error = w < 0 ? errno : ENOSPC;
      failed = CopyStatus::WriteFailed;
      return -1;
    }
    put += w;
  }
  return n;
}

// copy_file_range reports a failure of either side with one errno; these
// belong to the writing side.
bool write_error(int error) {
  return error == ENOSPC || error == EFBIG || error == EDQUOT || error == EIO;
}
}  // namespace

CopyStatus copy_range(RangeCopier &c, int source, int target, uint64_t target_offset,
                      uint64_t length) {
  uint64_t done = 0;
  while (done < length) {
    // Skip a hole: the next data at or after `done`.
    off_t data = ::lseek(source, static_cast<off_t>(done), SEEK_DATA);
    if (data < 0 && errno == ENXIO) {
      // Only a hole up to the end: nothing more to write, if the file is as long as expected.
      off_t end = ::lseek(source, 0, SEEK_END);
      return end >= 0 && static_cast<uint64_t>(end) >= length ? CopyStatus::Copied
                                                              : CopyStatus::SourceShort;
    }
    if (data >= 0 && static_cast<uint64_t>(data) > done) {
      done = std::min<uint64_t>(static_cast<uint64_t>(data), length);
      if (c.keep_going && !c.keep_going(done)) return CopyStatus::Interrupted;
      continue;
    }
    off_t hole = ::lseek(source, static_cast<off_t>(done), SEEK_HOLE);
    uint64_t run_end = hole > static_cast<off_t>(done) ? std::min<uint64_t>(static_cast<uint64_t>(hole), length)
                                                       : length;
    uint64_t piece = std::min<uint64_t>(run_end - done, PIECE);
    int64_t n = -1;
    CopyStatus failed = CopyStatus::WriteFailed;
    if (c.in_kernel) {
      loff_t from = static_cast<loff_t>(done);
      loff_t to = static_cast<loff_t>(target_offset + done);
      ssize_t r;
      do {
        r = ::copy_file_range(source, &from, target, &to, piece, 0);
      } while (r < 0 && errno == EINTR);
      if (r >= 0) {
        n = r;
      } else if (kernel_refuses(errno)) {
        c.in_kernel = false;
        continue;  // the same piece again, through the buffer
      } else {
        c.error = errno;
        return write_error(errno) ? CopyStatus::WriteFailed : CopyStatus::ReadFailed;
      }
    } else {
      n = copy_through_buffer(c, source, done, target, target_offset + done, piece, failed);
      if (n < 0) return failed;
    }
    if (n == 0) return CopyStatus::SourceShort;
    // Start writing the piece to storage at once: the image is synced before
    // it is renamed, and this way the device writes while the copy goes on
    // instead of all at the end. A hint only; its failure changes nothing.
    ::sync_file_range(target, static_cast<off_t>(target_offset + done), n, SYNC_FILE_RANGE_WRITE);
    done += static_cast<uint64_t>(n);
    if (c.keep_going && !c.keep_going(done)) return CopyStatus::Interrupted;
  }
  return CopyStatus::Copied;
}

}  // namespace qorv
