#include "host/sparse_file.h"

#include <algorithm>
#include <cerrno>
#include <io.h>
#include <vector>
#include <windows.h>
#include <winioctl.h>

namespace qorv {

namespace {
HANDLE handle_of(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }
}  // namespace

// The allocated ranges from `offset` on: the first one tells whether
// `offset` holds data and where that run ends.
FileRun file_run_at(int fd, uint64_t offset, uint64_t size) {
  if (offset >= size) return {false, size};
  FILE_ALLOCATED_RANGE_BUFFER query, found;
  query.FileOffset.QuadPart = static_cast<LONGLONG>(offset);
  query.Length.QuadPart = static_cast<LONGLONG>(size - offset);
  DWORD returned = 0;
  BOOL ok = ::DeviceIoControl(handle_of(fd), FSCTL_QUERY_ALLOCATED_RANGES, &query, sizeof query, &found,
                              sizeof found, &returned, nullptr);
  if (!ok && ::GetLastError() != ERROR_MORE_DATA) return {true, size};
  if (returned < sizeof found) return {false, size};  // no allocated range: a hole to the end
  const uint64_t begin = static_cast<uint64_t>(found.FileOffset.QuadPart);
  const uint64_t end = begin + static_cast<uint64_t>(found.Length.QuadPart);
  if (begin > offset) return {false, std::min(begin, size)};
  return {true, std::min(end, size)};
}

int zero_range(int fd, uint64_t offset, uint64_t length) {
  if (length == 0) return 0;
  HANDLE handle = handle_of(fd);
  DWORD returned = 0;
  // A sparse file frees the zeroed clusters; elsewhere the system writes zeros.
  ::DeviceIoControl(handle, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  FILE_ZERO_DATA_INFORMATION zero;
  zero.FileOffset.QuadPart = static_cast<LONGLONG>(offset);
  zero.BeyondFinalZero.QuadPart = static_cast<LONGLONG>(offset + length);
  if (::DeviceIoControl(handle, FSCTL_SET_ZERO_DATA, &zero, sizeof zero, nullptr, 0, &returned, nullptr)) return 0;
  std::vector<char> zeros(static_cast<size_t>(std::min<uint64_t>(length, 1u << 20)), 0);
  for (uint64_t done = 0; done < length;) {
    DWORD want = static_cast<DWORD>(std::min<uint64_t>(length - done, zeros.size()));
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset + done);
    at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
    DWORD written = 0;
    if (!::WriteFile(handle, zeros.data(), want, &written, &at) || written == 0)
      return ::GetLastError() == ERROR_DISK_FULL ? ENOSPC : EIO;
    done += written;
  }
  return 0;
}

}  // namespace qorv
