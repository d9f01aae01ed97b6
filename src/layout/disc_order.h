// The disc order of the free items: which entries the LBA stage places
// itself, and in which order.
#pragma once

#include <cstddef>
#include <vector>

namespace qorv {

struct FileEntry;
struct RunState;

// Fills `layout_queue` from `fst_entries` with every file, mirror twin and
// copy record that [LbaOrigin] has not fixed (`position` 0), then sorts it
// by `layout_key`, keeping FST order among equal keys.
void build_layout_queue(RunState &run);

// Index of the first item of the back group (positive `layout_key`) in a
// sorted queue; the items before it form the front group.
size_t back_group_begin(const std::vector<FileEntry *> &queue);

}  // namespace qorv
