#include "host/file_identity.h"

#include <cerrno>
#include <io.h>
#include <windows.h>

#include "host/wide_text.h"

namespace qorv {

namespace {
// FILETIME and LARGE_INTEGER times count 100 ns from 1601.
int64_t nanoseconds(int64_t ticks) { return ticks * 100; }

bool fill(HANDLE handle, FileIdentity &identity, int &error) {
  BY_HANDLE_FILE_INFORMATION info;
  FILE_BASIC_INFO basic;
  if (!::GetFileInformationByHandle(handle, &info) ||
      !::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic)) {
    error = EIO;
    return false;
  }
  identity.device = info.dwVolumeSerialNumber;
  identity.inode = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  identity.size = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  identity.modified_ns = nanoseconds(basic.LastWriteTime.QuadPart);
  identity.changed_ns = nanoseconds(basic.ChangeTime.QuadPart);
  identity.links = info.nNumberOfLinks;
  return true;
}
}  // namespace

bool file_identity(int fd, FileIdentity &identity, int &error) {
  HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  if (handle == INVALID_HANDLE_VALUE) {
    error = EBADF;
    return false;
  }
  return fill(handle, identity, error);
}

bool file_identity(const std::string &path, FileIdentity &identity, int &error) {
  HANDLE handle = ::CreateFileW(wide_host_path(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = ::GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
    return false;
  }
  bool ok = fill(handle, identity, error);
  ::CloseHandle(handle);
  return ok;
}

int64_t file_clock_now_ns() {
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  return nanoseconds(static_cast<int64_t>((uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime));
}

}  // namespace qorv
