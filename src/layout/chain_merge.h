// Merging the fixed chains into the address-ordered `layout_queue`.
#pragma once

#include <span>

#include "layout/fixed_range.h"

namespace qorv {

struct RunState;

// Inserts each chain of `ranges` (sorted by start) where its addresses put
// it among the placed free items, with a gap marker before it when the
// preceding item does not end at the chain's start, and after it when the
// next item does not start at the chain's end. A chain that lies before the
// first item (or an empty queue) opens the queue without a marker in front.
void merge_fixed_chains(RunState &run, std::span<const FixedRange> ranges);

}  // namespace qorv
