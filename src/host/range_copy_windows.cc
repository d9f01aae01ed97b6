#include "host/range_copy.h"

#include <algorithm>
#include <cerrno>
#include <windows.h>

#include "host/windows_error.h"
#include "host/windows_file.h"

namespace qorv {

namespace {
constexpr size_t BUFFER_SIZE = 1u << 20;

bool all_zero(const char *bytes, size_t length) {
  return std::all_of(bytes, bytes + length, [](char c) { return c == 0; });
}
}  // namespace

// Through one fixed buffer, positioned reads and writes. A piece that is all
// zeros is not written: the image is a new sparse file whose unwritten bytes
// read as zero, so a source's holes and zero runs take no room in it.
CopyStatus copy_range(RangeCopier &c, int source, int target, uint64_t target_offset, uint64_t length) {
  c.in_kernel = false;
  if (c.buffer.empty()) c.buffer.resize(BUFFER_SIZE);
  const HANDLE from = handle_of(source), to = handle_of(target);
  uint64_t done = 0;
  while (done < length) {
    const DWORD want = static_cast<DWORD>(std::min<uint64_t>(length - done, c.buffer.size()));
    OVERLAPPED read_at = at_offset(done);
    DWORD got = 0;
    if (!::ReadFile(from, c.buffer.data(), want, &got, &read_at) && ::GetLastError() != ERROR_HANDLE_EOF) {
      c.error = last_windows_error();
      return CopyStatus::ReadFailed;
    }
    if (got == 0) return CopyStatus::SourceShort;
    if (!all_zero(c.buffer.data(), got)) {
      for (DWORD put = 0; put < got;) {
        OVERLAPPED write_at = at_offset(target_offset + done + put);
        DWORD n = 0;
        const bool written = ::WriteFile(to, c.buffer.data() + put, got - put, &n, &write_at);
        if (!written || n == 0) {
          c.error = written ? ENOSPC : last_windows_error();
          return CopyStatus::WriteFailed;
        }
        put += n;
      }
    }
    done += got;
    if (c.keep_going && !c.keep_going(done)) return CopyStatus::Interrupted;
  }
  return CopyStatus::Copied;
}

}  // namespace qorv
