// `QorvImage list`: what is on a disc image (or a system file alone), one
// line per FST entry in FST order after the system area, as text or JSON.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "image/fst_reader.h"
#include "image/image_run.h"
#include "image/system_area_reader.h"

namespace qorv {

// One line of the listing.
struct ListRow {
  std::string path;     // disc path; for the system area the region's name
  std::string kind;     // "system", "directory" or "file"
  std::string replica;  // "", "mirrored", "mirror twin" or "copy"
  bool has_offset = true;
  uint64_t offset = 0;
  uint64_t size = 0;
  int64_t index = -1;     // FST index; -1 for the system area
  uint32_t first = 0;     // directory: the index range it holds, [first, end)
  uint32_t end = 0;
  int64_t copy = -1;      // copied file: which copy (0 is its own place)
};

// Calls `visit` for the system area's regions and every FST entry, in that
// order (one row is built at a time: paths of a deep tree add up).
void for_each_list_row(const SystemArea &area, const FstTable &table,
                       const std::function<void(const ListRow &)> &visit);

// Returns IMAGE_OK, or IMAGE_FAILED when the image cannot be read.
int list_image(ImageRun &run);

}  // namespace qorv
