#include "layout/lba_assignment.h"

#include <algorithm>
#include <vector>

#include "core/diagnostics.h"
#include "core/run_state.h"
#include "layout/chain_merge.h"
#include "layout/disc_order.h"
#include "layout/fixed_chains.h"
#include "layout/format_limits.h"
#include "layout/free_placement.h"
#include "layout/range_checks.h"

namespace qorv {

bool assign_lbas(RunState &run) {
  build_layout_queue(run);

  // Every chain is placed and checked before the stage gives up, so all bad
  // chains are reported in one run.
  std::vector<FixedRange> ranges = place_fixed_chains(run);
  if (!check_fixed_ranges(run, ranges)) return false;
  std::stable_sort(ranges.begin(), ranges.end(),
                   [](const FixedRange &a, const FixedRange &b) { return a.start < b.start; });

  print_info(run, format_text("  user area = %I64x - %I64x", {run.user_area_start, run.user_area_end}));
  const FreePlacement placement = place_free_items(run, ranges);
  if (!check_capacity(run, placement.forward_end, placement.backward_start)) return false;
  insert_split_gap(run, placement);
  merge_fixed_chains(run, ranges);

  // Before any output file is written: what the FST cannot hold stops here.
  return check_format_limits(run);
}

}  // namespace qorv
