// [PathList]: host directories outside DvdRoot grafted into the disc tree.
#pragma once

namespace qorv {

struct RunState;

// Checks the items of every layer, merges them and builds one top-level
// directory chain per merged item in `run.path_list_trees`.
bool map_path_lists(RunState &run);

}  // namespace qorv
