#include "host/file_descriptor.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "host/wide_text.h"

namespace qorv {

// The file is opened with the system's own call and the open parameters the
// tool always used there: a read shares the file with other readers and
// needs it to exist; a write creates or truncates it and shares it with no
// one. The handle is then wrapped in a C runtime descriptor (binary mode),
// which the readers and writers use as on POSIX.
int open_file_descriptor(const std::string &path, int flags, struct stat &status) {
  const bool read = (flags & (O_WRONLY | O_RDWR)) == 0;
  HANDLE handle = ::CreateFileW(wide_host_path(path).c_str(), read ? GENERIC_READ : GENERIC_WRITE,
                                read ? FILE_SHARE_READ : 0, nullptr, read ? OPEN_EXISTING : CREATE_ALWAYS,
                                FILE_FLAG_SEQUENTIAL_SCAN | (read ? 0 : FILE_ATTRIBUTE_NORMAL), nullptr);
  if (handle == INVALID_HANDLE_VALUE) return -1;
  BY_HANDLE_FILE_INFORMATION info;
  // A directory cannot be opened this way; a device has no size to fetch.
  if (::GetFileType(handle) == FILE_TYPE_DISK &&
      (!::GetFileInformationByHandle(handle, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))) {
    ::CloseHandle(handle);
    return -1;
  }
  LARGE_INTEGER size{};
  if (read && ::GetFileType(handle) == FILE_TYPE_DISK && !::GetFileSizeEx(handle, &size)) {
    ::CloseHandle(handle);
    return -1;
  }
  int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY | (read ? _O_RDONLY : _O_WRONLY));
  if (fd < 0) {
    ::CloseHandle(handle);
    return -1;
  }
  status = {};
  status.st_mode = _S_IFREG;
  status.st_size = size.QuadPart;
  return fd;
}

}  // namespace qorv
