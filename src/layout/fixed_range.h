// The extent of one [LbaOrigin] chain, and the search for the chain a free
// item would run into.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace qorv {

struct FileEntry;
struct OriginRequest;

struct FixedRange {
  int64_t start = 0;
  int64_t end = 0;
  OriginRequest *origin = nullptr;  // the chain's targets, file and line
};

// The first range of `ranges` that touches or overlaps the extent from `a`
// to `b` (both inclusive, a <= b), or nullptr. `ranges` must be sorted by
// start and free of overlaps, as they are once the range checks passed.
const FixedRange *find_fixed_collision(std::span<const FixedRange> ranges, int64_t a, int64_t b);

// The chain's placed entries in ascending address order: "+" chains run
// origin first, "-" chains grow downward from the origin. Followers whose
// file was not found have no target and are left out.
std::vector<FileEntry *> chain_targets(const OriginRequest &origin);

}  // namespace qorv
