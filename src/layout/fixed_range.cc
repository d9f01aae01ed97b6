#include "layout/fixed_range.h"

#include <algorithm>

#include "core/settings_store.h"

namespace qorv {

const FixedRange *find_fixed_collision(std::span<const FixedRange> ranges, int64_t a, int64_t b) {
  // Sorted by start and disjoint, the ranges are sorted by end as well. The
  // extent collides with R exactly when R.start <= b and a <= R.end, so the
  // first range ending at or after `a` is the only candidate: every earlier
  // one ends before the extent, every later one starts after this one.
  auto it = std::partition_point(ranges.begin(), ranges.end(),
                                 [a](const FixedRange &r) { return r.end < a; });
  if (it != ranges.end() && it->start <= b) return &*it;
  return nullptr;
}

std::vector<FileEntry *> chain_targets(const OriginRequest &origin) {
  std::vector<FileEntry *> targets;
  targets.reserve(origin.followers.size() + 1);
  if (origin.direction < 0) {
    for (auto it = origin.followers.rbegin(); it != origin.followers.rend(); ++it)
      if (it->target) targets.push_back(it->target);
    if (origin.target) targets.push_back(origin.target);
  } else {
    if (origin.target) targets.push_back(origin.target);
    for (const OriginRequest &follower : origin.followers)
      if (follower.target) targets.push_back(follower.target);
  }
  return targets;
}

}  // namespace qorv
