// Opening host files as C runtime descriptors, the one way every reader and
// writer of the tool does it.
#pragma once

#include <string>
#include <sys/stat.h>

namespace qorv {

// Opens `path` for reading (flags O_RDONLY) or for writing (O_WRONLY,
// O_CREAT, O_TRUNC). POSIX: open(2) with O_CLOEXEC, retried on EINTR.
// Windows: the system's own open, reading shared, writing exclusive. A
// directory is never opened (as on the original host): it gives -1 like a
// missing file. `status` receives the opened file's mode and size.
int open_file_descriptor(const std::string &path, int flags, struct stat &status);

}  // namespace qorv
