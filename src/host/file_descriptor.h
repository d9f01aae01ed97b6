// Opening host files as C runtime descriptors, the one way every reader and
// writer of the tool does it.
#pragma once

#include <string>
#include <sys/stat.h>

namespace qorv {

// Opens `path` for reading (flags O_RDONLY; POSIX takes other open flags
// too). POSIX: open(2) with O_CLOEXEC, retried on EINTR. Windows: the
// system's own open, shared with other readers. A directory is never opened
// (as on the original host): it gives -1 like a missing file. `status`
// receives the opened file's mode and size.
int open_file_descriptor(const std::string &path, int flags, struct stat &status);

// Opens a file that is read whole and whose size was measured (a system
// input): as `open_file_descriptor`, but a FIFO or a socket is refused (-1)
// without waiting for a writer. A character device is opened.
int open_input_descriptor(const std::string &path, struct stat &status);

// Opens an output for writing, created when it is missing, without blocking
// (a FIFO or pipe with no reader would wait for one for ever) and before
// truncating anything: only a regular file, truncated here, or a character
// device (/dev/null, /dev/full; NUL on Windows) is written to. Anything else
// gives -1 and is left as it was. Windows shares the file with no one.
int open_output_descriptor(const std::string &path, struct stat &status);

}  // namespace qorv
