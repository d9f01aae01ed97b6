#include "host/file_update.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "host/wide_text.h"

namespace qorv {

int open_for_update(const std::string &path, int &fd) {
  fd = -1;
  HANDLE handle = ::CreateFileW(wide_host_path(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ENOENT
           : error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ? EACCES
                                                                                : EIO;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    ::CloseHandle(handle);
    return ENODEV;
  }
  fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY | _O_RDWR);
  if (fd < 0) {
    ::CloseHandle(handle);
    return EMFILE;
  }
  return 0;
}

int set_file_length(int fd, uint64_t length) { return ::_chsize_s(fd, static_cast<__int64>(length)); }

int sync_file(int fd) {
  return ::FlushFileBuffers(reinterpret_cast<HANDLE>(::_get_osfhandle(fd))) ? 0 : EIO;
}

int close_file(int fd) { return ::_close(fd) == 0 ? 0 : errno; }

int remove_file(const std::string &path) { return ::DeleteFileW(wide_host_path(path).c_str()) ? 0 : EACCES; }

}  // namespace qorv
