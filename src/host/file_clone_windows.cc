#include "host/file_clone.h"

#include <cerrno>
#include <io.h>
#include <windows.h>
#include <winioctl.h>

// Not in every toolchain's headers: the request and its argument as the
// system defines them.
#ifndef FSCTL_DUPLICATE_EXTENTS_TO_FILE
#define FSCTL_DUPLICATE_EXTENTS_TO_FILE CTL_CODE(FILE_DEVICE_FILE_SYSTEM, 209, METHOD_BUFFERED, FILE_WRITE_DATA)
struct DUPLICATE_EXTENTS_DATA {
  HANDLE FileHandle;
  LARGE_INTEGER SourceFileOffset;
  LARGE_INTEGER TargetFileOffset;
  LARGE_INTEGER ByteCount;
};
#endif

namespace qorv {

// Block cloning (ReFS): the ranges must be whole clusters, so the copy is
// made a whole number of 64 KiB (the largest cluster) long and cut back.
int clone_file(int from, int to) {
  HANDLE source = reinterpret_cast<HANDLE>(::_get_osfhandle(from));
  HANDLE target = reinterpret_cast<HANDLE>(::_get_osfhandle(to));
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(source, &size)) return EIO;
  DWORD returned = 0;
  BY_HANDLE_FILE_INFORMATION info;
  if (::GetFileInformationByHandle(source, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_SPARSE_FILE))
    ::DeviceIoControl(target, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  constexpr LONGLONG CLUSTER = 64 * 1024;
  LARGE_INTEGER whole;
  whole.QuadPart = (size.QuadPart + CLUSTER - 1) / CLUSTER * CLUSTER;
  FILE_END_OF_FILE_INFO end;
  end.EndOfFile = whole;
  if (!::SetFileInformationByHandle(target, FileEndOfFileInfo, &end, sizeof end)) return EIO;
  DUPLICATE_EXTENTS_DATA extents{};
  extents.FileHandle = source;
  extents.SourceFileOffset.QuadPart = 0;
  extents.TargetFileOffset.QuadPart = 0;
  extents.ByteCount = whole;
  bool cloned = whole.QuadPart == 0 || ::DeviceIoControl(target, FSCTL_DUPLICATE_EXTENTS_TO_FILE, &extents,
                                                         sizeof extents, nullptr, 0, &returned, nullptr);
  end.EndOfFile = size;
  if (!::SetFileInformationByHandle(target, FileEndOfFileInfo, &end, sizeof end)) return EIO;
  return cloned ? 0 : EOPNOTSUPP;
}

}  // namespace qorv
