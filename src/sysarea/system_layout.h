// Positions of the system area (loader, boot file, FST) and the user area.
#pragma once

namespace qorv {

struct RunState;

bool compute_system_layout(RunState &run);

}  // namespace qorv
