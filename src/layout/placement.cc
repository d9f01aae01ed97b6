#include "layout/placement.h"

#include "core/file_entry.h"
#include "layout/offset_math.h"

namespace qorv {

int64_t place_forward(FileEntry &item, int64_t at) {
  const int64_t start = saturate_offset(round_up(at, item.alignment));
  item.position = static_cast<uint64_t>(start);
  const int64_t end = saturate_offset(round_up(WideOffset{start} + item.extent, 4));
  item.placement_end = static_cast<uint64_t>(end);
  return end;
}

int64_t place_backward(FileEntry &item, int64_t at, bool round_to_32) {
  item.placement_end = static_cast<uint64_t>(at);
  WideOffset size = item.extent;
  if (round_to_32) size = round_up(size, 32);
  // The alignment comes first, then 4: with an alignment that is not a
  // multiple of 4 the start ends up on a multiple of 4, as the format needs.
  const int64_t start = saturate_offset(round_down(round_down(WideOffset{at} - size, item.alignment), 4));
  item.position = static_cast<uint64_t>(start);
  return start;
}

}  // namespace qorv
