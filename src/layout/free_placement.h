// Placing the free items around the fixed chains: the front group upward
// from the start of the user area, the back group downward from its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "layout/fixed_range.h"

namespace qorv {

struct RunState;

struct FreePlacement {
  size_t back_begin = 0;       // index of the back group's first item in `layout_queue`
  int64_t forward_end = 0;     // where the front group ended
  int64_t backward_start = 0;  // where the back group began
};

// Both passes over the sorted `layout_queue`; `ranges` sorted by start and
// disjoint. An item that runs into a chain is moved past it (forward) or
// below it (backward), and tested again until it meets no chain.
FreePlacement place_free_items(RunState &run, std::span<const FixedRange> ranges);

// With both groups non-empty: a gap marker at the front group's end, just
// before the back group, for the stretch left between them.
void insert_split_gap(RunState &run, const FreePlacement &placement);

}  // namespace qorv
