// [PathList]: host directories outside DvdRoot grafted into the disc tree.
#pragma once

#include <string>
#include <vector>

#include "core/settings_store.h"

namespace qorv {

struct RunState;

// Checks the items of every layer, merges them and builds one top-level
// directory chain per merged item in `run.path_list_trees`.
bool map_path_lists(RunState &run);

// Every item of every layer: the host directory exists and is a directory,
// its first disc component is not a top-level name of the DvdRoot tree, and
// the disc directory has no empty component. Reports all problems.
bool check_path_lists(RunState &run);

// The items of layers 1, 2, 3 combined: a later item with the name of an
// earlier one replaces it in its place (warning 1024). The items stay in
// their layers' tables.
std::vector<const PathMapping *> merge_path_lists(RunState &run);

}  // namespace qorv
