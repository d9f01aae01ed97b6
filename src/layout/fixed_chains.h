// Placing the [LbaOrigin] chains at their fixed offsets.
#pragma once

#include <vector>

#include "layout/fixed_range.h"

namespace qorv {

struct RunState;

// Places every chain of `accepted_origins` (a "+" chain upward from its LBA,
// a "-" chain downward to it) and returns their ranges in the same order.
// Needs the sorted `layout_queue` to decide the 32-byte end rounding.
std::vector<FixedRange> place_fixed_chains(RunState &run);

}  // namespace qorv
