// The limits of the disc format on the placed layout: 32-bit sizes, offsets
// that fit the FST's position field, and a name table that 24-bit name
// offsets can address.
#pragma once

namespace qorv {

struct RunState;

// Checks every item of `layout_queue` (gap markers aside) in queue order,
// then the FST name table; reports every problem without location and
// returns false when there was any.
bool check_format_limits(RunState &run);

}  // namespace qorv
