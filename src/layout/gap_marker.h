// Gap markers: entries of `layout_queue` that mark the start of a stretch of
// the user area left free. They print as an offset with an empty name.
#pragma once

#include <cstdint>

namespace qorv {

struct FileEntry;
struct RunState;

// A new marker at `offset`, owned by `run.gap_markers` for the rest of the run.
FileEntry *make_gap_marker(RunState &run, int64_t offset);

// Markers are the only queue entries without a disc path.
bool is_gap_marker(const FileEntry &entry);

}  // namespace qorv
