// Regions 1 to 4 of the system file: the disc ID block, the disc info block,
// the loader block and the BB2 block, built from [DiskID], [BB2] and the
// system positions. In ZEM mode the first two also fill `disc_header_copy`.
// Each writes at the current position of the system file and returns false
// when the write (or, for the disc info block, the text) is refused.
#pragma once

#include <cstdint>
#include <optional>

#include "disc/system_area_format.h"

namespace qorv {

struct RunState;

bool write_disk_id_region(RunState &run);
bool write_disk_info_region(RunState &run);
bool write_loader_info_region(RunState &run);
bool write_bb2_region(RunState &run);

// [BB2] FSTMaxLength when the BB2 block uses it: defined, and not 0 once
// divided by the mode's unit (a maximum of 0 counts as not given).
std::optional<uint64_t> given_fst_max_length(const RunState &run);

}  // namespace qorv
