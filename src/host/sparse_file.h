// Holes of files: where a file holds data and where it holds none (reads as
// zero without being stored), and turning a range back into zeros.
#pragma once

#include <cstdint>

namespace qorv {

// The run of data or hole that `offset` lies in, up to its end (at most
// `size`, the file's size). A host or file system that cannot tell says
// data up to `size`; an allocated range may also hold zeros.
struct FileRun {
  bool data = true;
  uint64_t end = 0;
};
FileRun file_run_at(int fd, uint64_t offset, uint64_t size);

// Makes bytes [offset, offset + length) of `fd` read as zero without
// changing its size, freeing their blocks where the file system can (a hole
// punched); zeros are written where it cannot. 0 or errno.
int zero_range(int fd, uint64_t offset, uint64_t length);

}  // namespace qorv
