#include "layout/chain_merge.h"

#include <utility>
#include <vector>

#include "core/run_state.h"
#include "layout/gap_marker.h"
#include "layout/offset_math.h"

namespace qorv {

namespace {
int64_t start_of(const FileEntry *item) { return as_offset(item->position); }
int64_t end_of(const FileEntry *item) { return as_offset(item->placement_end); }
}  // namespace

// Built in one pass into a new vector. The placed queue is in address order
// and no free item overlaps a chain, so the slot of each chain lies at or
// after the slot of the chain before it and a single cursor over the old
// queue finds them all.
void merge_fixed_chains(RunState &run, std::span<const FixedRange> ranges) {
  if (ranges.empty()) return;
  std::vector<FileEntry *> items = std::move(run.layout_queue);
  std::vector<FileEntry *> &merged = run.layout_queue;
  merged.clear();
  merged.reserve(items.size() + 3 * ranges.size());

  size_t next = 0;  // first item of `items` not yet in `merged`
  for (const FixedRange &range : ranges) {
    const bool opens_queue = merged.empty() && (next == items.size() || range.end <= start_of(items[next]));
    if (!opens_queue) {
      // The slot is after the first item whose end is at most the chain's
      // start and whose successor starts at or after the chain's end; after
      // the last item when there is none.
      if (merged.empty()) merged.push_back(items[next++]);
      while (next < items.size() &&
             !(end_of(merged.back()) <= range.start && range.end <= start_of(items[next])))
        merged.push_back(items[next++]);
      const FileEntry *before = merged.back();
      if (end_of(before) != range.start && !is_gap_marker(*before))
        merged.push_back(make_gap_marker(run, end_of(before)));
    }
    for (FileEntry *target : chain_targets(*range.origin)) merged.push_back(target);
    if (next < items.size() && start_of(items[next]) != range.end)
      merged.push_back(make_gap_marker(run, range.end));
  }
  merged.insert(merged.end(), items.begin() + static_cast<std::ptrdiff_t>(next), items.end());
}

}  // namespace qorv
