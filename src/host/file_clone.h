// A copy of a whole file that shares its blocks with the original until
// either is written (a reflink), made in an instant where the file system
// can: an image is then updated on the copy and renamed over the original.
#pragma once

namespace qorv {

// Makes the file `to` (empty, on the same file system) a copy of `from`.
// 0, or errno's value: EOPNOTSUPP, EXDEV or EINVAL where the file system
// cannot share blocks (the caller then works another way).
int clone_file(int from, int to);

}  // namespace qorv
