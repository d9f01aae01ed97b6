#include "host/standard_streams.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>

namespace qorv {

// The C runtime gives a new descriptor the lowest free number, as POSIX
// does: a closed standard stream is held by NUL opened for reading.
void hold_closed_standard_streams() {
  for (int fd = 0; fd <= 2; ++fd) {
    errno = 0;
    if (::_get_osfhandle(fd) != -1 || errno != EBADF) continue;
    int held = ::_open("NUL", _O_RDONLY | _O_BINARY);
    if (held >= 0 && held != fd) {
      ::_dup2(held, fd);
      ::_close(held);
    }
  }
}

}  // namespace qorv
