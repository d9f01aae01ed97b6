// Copying a file's bytes into an image at an offset, inside the kernel where
// it can (copy_file_range), otherwise through one fixed buffer. Holes of the
// source are skipped: the image is a new file whose unwritten bytes read as
// zero, so it stays sparse where the source was. Windows: always through the
// buffer, with positioned reads and writes; a piece that is all zeros is not
// written.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace qorv {

enum class CopyStatus {
  Copied,
  SourceShort,  // the source ended before `length` bytes
  ReadFailed,
  WriteFailed,
  Interrupted,  // `keep_going` said stop
};

struct RangeCopier {
  // Called after each piece with the bytes done so far in this call; false
  // stops the copy (an interrupt).
  std::function<bool(uint64_t done)> keep_going;
  int error = 0;                 // errno of the last failure
  bool in_kernel = true;         // false once the kernel refused in-kernel copies
  std::vector<char> buffer;      // the fallback's one buffer, made on first use
};

// Copies bytes [0, length) of `source` to `target` at `target_offset`.
CopyStatus copy_range(RangeCopier &copier, int source, int target, uint64_t target_offset,
                      uint64_t length);

}  // namespace qorv
