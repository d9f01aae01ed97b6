// The items of a DLF checked against the host before an image is built or
// verified: each names a readable regular file, and no two overlap.
#pragma once

#include <string>
#include <vector>

#include "host/disc_file.h"
#include "image/dlf_reader.h"
#include "image/image_run.h"

namespace qorv {

struct CheckedItem {
  const DlfItem *item = nullptr;
  std::string path;  // as opened: relative to -C where given
  DiscFileStatus status;
  uint64_t end() const { return item->offset + status.size; }
};

// Checks every item of `layout` (read from `dlf`) and reports each problem
// with the DLF line: a file that is missing, a directory, not a regular file
// or unreadable; an item that runs into the next one or past the closing
// offset. False when there was any.
bool check_dlf_items(ImageRun &run, const std::string &dlf, const DlfLayout &layout,
                     std::vector<CheckedItem> &items);

}  // namespace qorv
