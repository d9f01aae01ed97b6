#include "host/file_descriptor.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "host/wide_text.h"

namespace qorv {

namespace {

int close_and_fail(HANDLE handle) {
  ::CloseHandle(handle);
  return -1;
}

// Wraps `handle` in a C runtime descriptor (binary mode), which the readers
// and writers use as on POSIX.
int wrap_handle(HANDLE handle, int mode, int64_t size, struct stat &status) {
  int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY | mode);
  if (fd < 0) return close_and_fail(handle);
  status = {};
  status.st_mode = _S_IFREG;
  status.st_size = size;
  return fd;
}

}  // namespace

// A read shares the file with other readers and needs it to exist, as the
// tool always opened its inputs there.
int open_file_descriptor(const std::string &path, int, struct stat &status) {
  HANDLE handle = ::CreateFileW(wide_host_path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return -1;
  // A directory cannot be opened this way; a device has no size to fetch.
  LARGE_INTEGER size{};
  BY_HANDLE_FILE_INFORMATION info;
  if (::GetFileType(handle) == FILE_TYPE_DISK &&
      (!::GetFileInformationByHandle(handle, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
       !::GetFileSizeEx(handle, &size)))
    return close_and_fail(handle);
  return wrap_handle(handle, _O_RDONLY, size.QuadPart, status);
}

// Opening a pipe here connects to it at once or fails: nothing waits.
int open_input_descriptor(const std::string &path, struct stat &status) {
  return open_file_descriptor(path, 0, status);
}

// Opened as it is (OPEN_ALWAYS) rather than created anew, so that nothing is
// cut before its kind is known: a file on a disk is then truncated, a
// character device (NUL, CON) written as it is, a pipe refused.
int open_output_descriptor(const std::string &path, struct stat &status) {
  HANDLE handle = ::CreateFileW(wide_host_path(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return -1;
  const DWORD type = ::GetFileType(handle);
  BY_HANDLE_FILE_INFORMATION info;
  if (type != FILE_TYPE_CHAR &&
      (type != FILE_TYPE_DISK || !::GetFileInformationByHandle(handle, &info) ||
       (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !::SetEndOfFile(handle)))
    return close_and_fail(handle);
  return wrap_handle(handle, _O_WRONLY, 0, status);
}

}  // namespace qorv
