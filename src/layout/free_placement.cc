#include "layout/free_placement.h"

#include "core/run_state.h"
#include "layout/disc_order.h"
#include "layout/gap_marker.h"
#include "layout/placement.h"

namespace qorv {

namespace {

// Places `item` at `cursor` and returns its end. The collision test covers
// the alignment gap from the cursor too.
int64_t place_item_forward(FileEntry &item, int64_t cursor, std::span<const FixedRange> ranges) {
  int64_t end = place_forward(item, cursor);
  const FixedRange *hit = find_fixed_collision(ranges, cursor, end);
  while (hit) {
    const int64_t at = hit->end;
    end = place_forward(item, at);
    // Touching the range just passed is fine. Later ranges start after it in
    // order, so only the next one can be the first the new extent meets.
    ++hit;
    if (hit == ranges.data() + ranges.size() || hit->start > end) hit = nullptr;
  }
  return end;
}

// Places `item` to end at `cursor` and returns its start.
int64_t place_item_backward(FileEntry &item, int64_t cursor, bool round_to_32,
                            std::span<const FixedRange> ranges) {
  int64_t start = place_backward(item, cursor, round_to_32);
  const FixedRange *hit = find_fixed_collision(ranges, start, cursor);
  while (hit) {
    // No 32-byte rounding once the item no longer ends at the cursor.
    start = place_backward(item, hit->start, false);
    if (hit == ranges.data()) break;
    --hit;
    if (hit->end < start) hit = nullptr;
  }
  return start;
}

}  // namespace

FreePlacement place_free_items(RunState &run, std::span<const FixedRange> ranges) {
  std::vector<FileEntry *> &queue = run.layout_queue;
  FreePlacement result;
  result.back_begin = back_group_begin(queue);

  int64_t cursor = run.user_area_start;
  for (size_t i = 0; i < result.back_begin; ++i) cursor = place_item_forward(*queue[i], cursor, ranges);
  result.forward_end = cursor;

  // Only the last item on the disc is counted as a multiple of 32 bytes, and
  // only when no "-" chain has taken that rounding already.
  bool round_to_32 = !run.end_rounding_taken;
  cursor = run.user_area_end;
  for (size_t i = queue.size(); i-- > result.back_begin;) {
    cursor = place_item_backward(*queue[i], cursor, round_to_32, ranges);
    round_to_32 = false;
  }
  result.backward_start = cursor;
  return result;
}

void insert_split_gap(RunState &run, const FreePlacement &placement) {
  std::vector<FileEntry *> &queue = run.layout_queue;
  if (placement.back_begin == 0 || placement.back_begin == queue.size()) return;
  FileEntry *marker = make_gap_marker(run, placement.forward_end);
  queue.insert(queue.begin() + static_cast<std::ptrdiff_t>(placement.back_begin), marker);
}

}  // namespace qorv
