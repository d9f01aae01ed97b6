// The LBA stage: disc order, fixed chains, free placement, checks, merge.
#pragma once

namespace qorv {

struct RunState;

bool assign_lbas(RunState &run);

}  // namespace qorv
