// Windows only: the system handle behind a C runtime descriptor, and the
// position a ReadFile or WriteFile call reads or writes at.
#pragma once

#include <cstdint>
#include <io.h>
#include <windows.h>

namespace qorv {

inline HANDLE handle_of(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

inline OVERLAPPED at_offset(uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

}  // namespace qorv
