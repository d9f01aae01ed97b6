// [LayoutOff]: files and directories left off the disc.
#pragma once

namespace qorv {

struct RunState;

// Removes every entry below the root and below each top-level [PathList]
// directory whose disc path matches a [LayoutOff] pattern, with its subtree.
// The root and the top-level [PathList] directories themselves are never
// tested. Matching nothing is not reported.
void prune_layout_off(RunState &run);

}  // namespace qorv
