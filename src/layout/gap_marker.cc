#include "layout/gap_marker.h"

#include "core/run_state.h"

namespace qorv {

FileEntry *make_gap_marker(RunState &run, int64_t offset) {
  FileEntry &marker = run.gap_markers.emplace_back();
  marker.position = static_cast<uint64_t>(offset);
  marker.placement_end = static_cast<uint64_t>(offset);
  return &marker;
}

bool is_gap_marker(const FileEntry &entry) { return entry.disc_path.empty(); }

}  // namespace qorv
