#include "layout/range_checks.h"

#include <algorithm>
#include <numeric>
#include <string_view>
#include <utility>
#include <vector>

#include "core/diagnostics.h"
#include "core/run_state.h"

namespace qorv {

namespace {

using RangePair = std::pair<size_t, size_t>;  // build indices, first < second

// Every pair of ranges that intersect, counting touching ends, found by a
// sweep in start order instead of testing all pairs: a range meets exactly
// the earlier-starting ranges that have not ended before its start.
std::vector<RangePair> intersecting_pairs(std::span<const FixedRange> ranges) {
  std::vector<size_t> by_start(ranges.size());
  std::iota(by_start.begin(), by_start.end(), size_t{0});
  std::stable_sort(by_start.begin(), by_start.end(),
                   [&](size_t a, size_t b) { return ranges[a].start < ranges[b].start; });

  // Min-heap on end of the ranges still open at the sweep position.
  auto later_end = [&](size_t a, size_t b) { return ranges[a].end > ranges[b].end; };
  std::vector<size_t> open;
  std::vector<RangePair> pairs;
  for (size_t current : by_start) {
    while (!open.empty() && ranges[open.front()].end < ranges[current].start) {
      std::pop_heap(open.begin(), open.end(), later_end);
      open.pop_back();
    }
    for (size_t other : open) pairs.emplace_back(std::min(current, other), std::max(current, other));
    open.push_back(current);
    std::push_heap(open.begin(), open.end(), later_end);
  }
  std::sort(pairs.begin(), pairs.end());
  return pairs;
}

std::string_view origin_file(const RunState &run, const OriginRequest &origin) {
  if (origin.layer < 0 || origin.layer >= static_cast<int32_t>(run.store.layers.size())) return {};
  return run.store.layers[static_cast<size_t>(origin.layer)].file_name;
}

}  // namespace

bool check_fixed_ranges(RunState &run, std::span<const FixedRange> ranges) {
  const std::vector<RangePair> pairs = intersecting_pairs(ranges);
  bool ok = true;
  size_t next_pair = 0;
  for (size_t a = 0; a < ranges.size(); ++a) {
    const FixedRange &range = ranges[a];
    const std::string_view file = origin_file(run, *range.origin);
    const int32_t line = range.origin->line;
    if (range.start < run.user_area_start || range.end > run.user_area_end) {
      report_error(run, file, line, MessageId::OutOfFstRange, {range.start, range.end});
      ok = false;
    }
    for (; next_pair < pairs.size() && pairs[next_pair].first == a; ++next_pair) {
      const FixedRange &other = ranges[pairs[next_pair].second];
      report_error(run, file, line, MessageId::Overlaps, {range.start, range.end, other.start, other.end});
      ok = false;
    }
  }
  return ok;
}

bool check_capacity(RunState &run, int64_t forward_end, int64_t backward_start) {
  if (forward_end <= backward_start) return true;
  report_error(run, MessageId::OverCapacity);
  return false;
}

}  // namespace qorv
