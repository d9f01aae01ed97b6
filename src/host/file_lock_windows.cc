#include "host/file_lock.h"

#include <cerrno>
#include <io.h>
#include <windows.h>

#include "host/wide_text.h"

namespace qorv {

namespace {
bool same_file(HANDLE a, HANDLE b) {
  BY_HANDLE_FILE_INFORMATION x, y;
  return ::GetFileInformationByHandle(a, &x) && ::GetFileInformationByHandle(b, &y) &&
         x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
         x.nFileIndexLow == y.nFileIndexLow;
}
}  // namespace

// Shared for reading, writing and deleting, so that the record can still be
// read and renamed over while the lock is held.
int FileLock::acquire(const std::string &path) {
  release();
  const std::wstring wide = wide_host_path(path);
  constexpr DWORD SHARE = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  for (;;) {
    HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, SHARE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
      handle = ::CreateFileW(wide.c_str(), GENERIC_READ, SHARE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
      ::CloseHandle(handle);
      return ENODEV;
    }
    OVERLAPPED whole{};
    if (!::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
      ::CloseHandle(handle);
      return EIO;
    }
    HANDLE named = ::CreateFileW(wide.c_str(), 0, SHARE, nullptr, OPEN_EXISTING, 0, nullptr);
    bool same = named != INVALID_HANDLE_VALUE && same_file(handle, named);
    if (named != INVALID_HANDLE_VALUE) ::CloseHandle(named);
    if (same) {
      fd_ = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), 0);
      if (fd_ < 0) {
        ::CloseHandle(handle);
        return EMFILE;
      }
      path_ = path;
      return 0;
    }
    ::CloseHandle(handle);
  }
}

void FileLock::release() {
  if (fd_ < 0) return;
  // Only while the path still names the locked file: a record renamed over
  // it is not touched.
  HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd_));
  LARGE_INTEGER size{};
  const std::wstring wide = wide_host_path(path_);
  if (::GetFileSizeEx(handle, &size) && size.QuadPart == 0) {
    HANDLE named = ::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    bool same = named != INVALID_HANDLE_VALUE && same_file(handle, named);
    if (named != INVALID_HANDLE_VALUE) ::CloseHandle(named);
    if (same) ::DeleteFileW(wide.c_str());
  }
  ::_close(fd_);  // closing the handle drops the lock
  fd_ = -1;
  path_.clear();
}

}  // namespace qorv
