// Region 8 of the system file: the FST, written at the system file's
// current position.
#pragma once

namespace qorv {

struct RunState;

bool write_fst_region(RunState &run);

}  // namespace qorv
