// Region 5 of the system file: the BI2 block, an 8 KiB template patched
// with the [BI2] settings, the disc count and the boot arguments.
#pragma once

#include "disc/system_area_format.h"

namespace qorv {

struct RunState;

// Reads the [Input] BI2FileName template, patches it, prints the
// informational lines and writes the block at the system file's position.
bool write_bi2_region(RunState &run);

}  // namespace qorv
