// The disc tree from the host: the scan of `DvdRoot` and of the host
// directories grafted by [PathList].
#pragma once

#include <string>
#include <vector>

#include "core/file_entry.h"
#include "host/directory_listing.h"

namespace qorv {

struct RunState;

// Fills `run.root_entry` from [Input] DvdRoot (made absolute under -a).
bool scan_disc_root(RunState &run);

// A walk's root listed beforehand. The walk takes its entries from
// `listing` and opens the root again only to enter a subdirectory, checking
// that it is still the folder listed (`id`, read when the listing holds a
// subdirectory).
struct PreListedRoot {
  HostListing listing;
  HostNodeId id;
};

// Fills `children` (empty on entry) with the tree below `host_dir`, sibling
// order in each directory; `disc_dir` is the disc path of their owner ("" for
// the root). Reports every unreadable directory, dangling link, link loop and
// case-only name clash of the walk, and fails at its end if there was one.
// With `listed`, the root's entries are those listed beforehand.
bool scan_directory(RunState &run, std::vector<FileEntry> &children, const std::string &host_dir,
                    const std::string &disc_dir, PreListedRoot *listed = nullptr);

}  // namespace qorv
