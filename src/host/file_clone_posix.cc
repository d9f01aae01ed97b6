#include "host/file_clone.h"

#include <cerrno>
#include <sys/ioctl.h>

#ifdef __linux__
#include <linux/fs.h>
#endif

namespace qorv {

int clone_file(int from, int to) {
#ifdef FICLONE
  int r;
  do {
    r = ::ioctl(to, FICLONE, from);
  } while (r != 0 && errno == EINTR);
  return r == 0 ? 0 : errno;
#else
  (void)from;
  (void)to;
  return EOPNOTSUPP;
#endif
}

}  // namespace qorv
