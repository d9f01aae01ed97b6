// The checks of the layout against the user area: fixed chains inside it and
// apart from each other, free items within its capacity.
#pragma once

#include <cstdint>
#include <span>

#include "layout/fixed_range.h"

namespace qorv {

struct RunState;

// Ranges in build order: for each, error 1020 when it leaves the user area,
// then error 1025 for every later range it touches or overlaps, all at its
// origin's description file and line. False when anything was reported.
bool check_fixed_ranges(RunState &run, std::span<const FixedRange> ranges);

// Error 1021 when the forward pass ended above the backward pass's start.
bool check_capacity(RunState &run, int64_t forward_end, int64_t backward_start);

}  // namespace qorv
