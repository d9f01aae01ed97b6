#include "layout/fixed_chains.h"

#include "core/run_state.h"
#include "layout/offset_math.h"
#include "layout/placement.h"

namespace qorv {

namespace {

FixedRange place_upward(OriginRequest &origin) {
  int64_t end = place_forward(*origin.target, origin.lba);
  for (OriginRequest &follower : origin.followers)
    if (follower.target) end = place_forward(*follower.target, end);
  return {origin.lba, end, &origin};
}

// The last item on the disc is counted as a multiple of 32 bytes. When the
// back group's last item cannot fit above a "-" chain, the chain ends up on
// top instead, so its origin takes that rounding and the back group does not.
bool takes_end_rounding(const RunState &run, const OriginRequest &origin) {
  if (run.layout_queue.empty()) return false;
  const FileEntry &last = *run.layout_queue.back();
  if (last.layout_key <= 0) return false;
  return round_up(last.extent, 32) > WideOffset{run.user_area_end} - origin.lba;
}

FixedRange place_downward(RunState &run, OriginRequest &origin) {
  const bool round_to_32 = takes_end_rounding(run, origin);
  if (round_to_32) run.end_rounding_taken = true;
  int64_t start = place_backward(*origin.target, origin.lba, round_to_32);
  for (OriginRequest &follower : origin.followers)
    if (follower.target) start = place_backward(*follower.target, start, false);
  return {start, origin.lba, &origin};
}

}  // namespace

std::vector<FixedRange> place_fixed_chains(RunState &run) {
  std::vector<FixedRange> ranges;
  ranges.reserve(run.accepted_origins.size());
  for (OriginRequest *origin : run.accepted_origins) {
    if (!origin->target) continue;
    ranges.push_back(origin->direction < 0 ? place_downward(run, *origin) : place_upward(*origin));
  }
  return ranges;
}

}  // namespace qorv
