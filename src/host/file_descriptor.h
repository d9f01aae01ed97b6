// Opening host files as POSIX descriptors, the one way every reader and
// writer of the tool does it.
#pragma once

#include <string>
#include <sys/stat.h>

namespace qorv {

// open(2) with O_CLOEXEC, retried on EINTR. A directory is never opened (as
// on the original host): it gives -1 like a missing file. `status` receives
// the opened file's status.
int open_file_descriptor(const std::string &path, int flags, struct stat &status);

}  // namespace qorv
