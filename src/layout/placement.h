// Placing one item (file, mirror twin or copy record) of the user area,
// upward from an offset or downward from one. Items are packed at a
// granularity of 4 bytes, coarser only where [LbaAlign] asks for it.
#pragma once

#include <cstdint>

namespace qorv {

struct FileEntry;

// Puts `item` at `at` raised to its alignment; returns its end rounded up to
// 4, which is also stored as its `placement_end`.
int64_t place_forward(FileEntry &item, int64_t at);

// Puts `item` so that it ends at or below `at`: its extent (rounded up to 32
// when `round_to_32`) is taken off `at`, the start lowered to its alignment
// and then to a multiple of 4. `placement_end` becomes `at`; returns the start.
int64_t place_backward(FileEntry &item, int64_t at, bool round_to_32);

}  // namespace qorv
