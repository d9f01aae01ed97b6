#include "host/disc_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <winioctl.h>

#include "host/wide_text.h"
#include "host/windows_error.h"
#include "host/windows_file.h"

namespace qorv {

namespace {
DiscFileStatus missing(int error) {
  DiscFileStatus s;
  s.error = error;
  return s;
}

// Only a file or folder on a disk has an identity and a size; a device or a
// pipe is told by the kind of its handle.
DiscFileStatus status_of(HANDLE handle) {
  DiscFileStatus s;
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    s.kind = DiscFileKind::Other;
    return s;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(handle, &info)) return missing(last_windows_error());
  s.kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? DiscFileKind::Directory : DiscFileKind::Regular;
  s.size = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  s.device = info.dwVolumeSerialNumber;
  s.inode = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  FILE_STANDARD_INFO standard;
  s.allocated = ::GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard)
                    ? static_cast<uint64_t>(standard.AllocationSize.QuadPart)
                    : s.size;
  return s;
}

// `path` opened with the given access, links followed; a folder too.
HANDLE open_path(const std::string &path, DWORD access, DWORD share) {
  return ::CreateFileW(wide_host_path(path).c_str(), access, share, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

constexpr DWORD SHARE_ALL = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The most one ReadFile or WriteFile call is given.
constexpr uint64_t LARGEST_CALL = 1u << 30;

}  // namespace

DiscFileStatus disc_file_status(const std::string &path) {
  HANDLE handle = open_path(path, 0, SHARE_ALL);
  if (handle == INVALID_HANDLE_VALUE) return missing(last_windows_error());
  DiscFileStatus s = status_of(handle);
  ::CloseHandle(handle);
  return s;
}

DiscFileStatus disc_file_status(int fd) {
  HANDLE handle = handle_of(fd);
  if (handle == INVALID_HANDLE_VALUE) return missing(EBADF);
  return status_of(handle);
}

std::string error_text(int error) {
  if (error < WINDOWS_ERROR_BASE) return std::strerror(error);
  wchar_t *text = nullptr;
  DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(error - WINDOWS_ERROR_BASE), 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
  std::wstring wide(text ? text : L"", length);
  ::LocalFree(text);
  // Without the line end and the full stop, as the C library's texts.
  while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L' ' || wide.back() == L'.'))
    wide.pop_back();
  if (wide.empty()) return "system error " + std::to_string(error - WINDOWS_ERROR_BASE);
  return ansi_shown(wide);
}

std::string folder_of_path(const std::string &path) {
  size_t cut = last_path_separator(path);
  const bool drive = path.size() >= 2 && path[1] == ':';
  if (cut == std::string::npos) return drive ? path.substr(0, 2) + "." : ".";
  // A root keeps its separator: "\", "C:\".
  if (cut == 0 || (drive && cut == 2)) return path.substr(0, cut + 1);
  return path.substr(0, cut);
}

DiscFileReader::~DiscFileReader() { close(); }

// Shared with every other use, as a POSIX open would be: the checks of each
// item's identity and size notice a file replaced meanwhile.
bool DiscFileReader::open(const std::string &path) {
  close();
  HANDLE handle = open_path(path, GENERIC_READ, SHARE_ALL);
  if (handle == INVALID_HANDLE_VALUE) {
    error_ = last_windows_error();
    return false;
  }
  status_ = status_of(handle);
  if (status_.kind != DiscFileKind::Regular) {
    error_ = status_.kind == DiscFileKind::Directory ? EISDIR
             : status_.kind == DiscFileKind::Other   ? ENODEV
                                                     : status_.error;
    ::CloseHandle(handle);
    return false;
  }
  int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    error_ = EMFILE;
    ::CloseHandle(handle);
    return false;
  }
  fd_ = fd;
  return true;
}

void DiscFileReader::close() {
  if (fd_ >= 0) ::_close(fd_);
  fd_ = -1;
}

int64_t DiscFileReader::read_at(uint64_t offset, void *buffer, uint64_t length) {
  uint64_t done = 0;
  while (done < length) {
    OVERLAPPED at = at_offset(offset + done);
    DWORD got = 0;
    if (!::ReadFile(handle_of(fd_), static_cast<char *>(buffer) + done,
                    static_cast<DWORD>(std::min(length - done, LARGEST_CALL)), &got, &at)) {
      if (::GetLastError() == ERROR_HANDLE_EOF) break;
      error_ = last_windows_error();
      return -1;
    }
    if (got == 0) break;
    done += got;
  }
  return static_cast<int64_t>(done);
}

namespace {
// A name for the file while it is written: short, so that any name the
// target may have still leaves room in its folder.
std::string short_name(const std::string &folder, int attempt) {
  std::string name = folder;
  if (last_path_separator(name) + 1 != name.size() && !name.ends_with(':')) name += '\\';
  return name + ".qorv-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(attempt) + ".tmp";
}

// Marks the file to go when its handle closes (or not): however the process
// ends, even by TerminateProcess, nothing of it stays until `commit`.
bool delete_on_close(HANDLE handle, bool yes) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = yes;
  return ::SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition);
}
}  // namespace

bool ReplacementFile::create(const std::string &target) {
  discard();
  target_ = target;
  folder_ = folder_of_path(target);
  error_ = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    path_ = short_name(folder_, attempt);
    HANDLE handle = ::CreateFileW(wide_host_path(path_).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      error_ = last_windows_error();
      if (error_ != EEXIST) break;
      continue;
    }
    // The image's gaps are never written: on a file system with sparse
    // files they take no room. Elsewhere the call fails and changes nothing.
    DWORD returned = 0;
    (void)::DeviceIoControl(handle, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    (void)delete_on_close(handle, true);
    fd_ = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd_ >= 0) return true;
    error_ = EMFILE;
    ::CloseHandle(handle);
    ::DeleteFileW(wide_host_path(path_).c_str());
    break;
  }
  path_.clear();
  return false;
}

bool ReplacementFile::write(const void *data, uint64_t length) {
  for (uint64_t done = 0; done < length;) {
    DWORD put = 0;
    if (!::WriteFile(handle_of(fd_), static_cast<const char *>(data) + done,
                     static_cast<DWORD>(std::min(length - done, LARGEST_CALL)), &put, nullptr)) {
      error_ = last_windows_error();
      return false;
    }
    if (put == 0) {
      error_ = EIO;
      return false;
    }
    done += put;
  }
  return true;
}

bool ReplacementFile::set_length(uint64_t length) {
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = static_cast<LONGLONG>(length);
  if (::SetFileInformationByHandle(handle_of(fd_), FileEndOfFileInfo, &end, sizeof end)) return true;
  error_ = last_windows_error();
  return false;
}

bool ReplacementFile::commit() {
  HANDLE handle = handle_of(fd_);
  if (!::FlushFileBuffers(handle) || !delete_on_close(handle, false)) {
    error_ = last_windows_error();
    return false;
  }
  ::_close(fd_);
  fd_ = -1;
  if (!::MoveFileExW(wide_host_path(path_).c_str(), wide_host_path(target_).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error_ = last_windows_error();
    return false;
  }
  path_.clear();
  return true;
}

void ReplacementFile::discard() {
  if (fd_ >= 0) ::_close(fd_);  // a file still marked goes with its handle
  fd_ = -1;
  if (!path_.empty()) ::DeleteFileW(wide_host_path(path_).c_str());
  path_.clear();
}

// A character device (NUL, CON) or a pipe is written to as it is; opening a
// pipe connects to it at once or fails, so nothing waits for a reader.
int write_to_device(const std::string &path, const void *data, uint64_t length) {
  HANDLE handle = ::CreateFileW(wide_host_path(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return last_windows_error();
  const DWORD type = ::GetFileType(handle);
  int error = type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE ? 0 : ENODEV;
  for (uint64_t done = 0; done < length && error == 0;) {
    DWORD put = 0;
    if (!::WriteFile(handle, static_cast<const char *>(data) + done,
                     static_cast<DWORD>(std::min(length - done, LARGEST_CALL)), &put, nullptr))
      error = last_windows_error();
    else if (put == 0)
      error = EIO;
    done += put;
  }
  ::CloseHandle(handle);
  return error;
}

}  // namespace qorv
