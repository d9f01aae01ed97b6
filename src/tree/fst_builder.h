// The file-tree stage: scan, path lists, [LayoutOff] pruning, FST order,
// layout requests, FST numbering and sizes.
#pragma once

namespace qorv {

struct RunState;

bool build_fst(RunState &run);

}  // namespace qorv
