// Regions 6 and 7 of the system file: the loader file and the boot file.
#pragma once

namespace qorv {

struct RunState;

bool write_ldr_region(RunState &run);
bool write_boot_region(RunState &run);

}  // namespace qorv
