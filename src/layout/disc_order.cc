#include "layout/disc_order.h"

#include <algorithm>

#include "core/run_state.h"

namespace qorv {

void build_layout_queue(RunState &run) {
  std::vector<FileEntry *> &queue = run.layout_queue;
  queue.clear();
  queue.reserve(run.fst_entries.size());
  for (FileEntry *entry : run.fst_entries) {
    if (entry->is_directory()) continue;
    if (entry->replica_mode == ReplicaKind::Copied) {
      // A copied file never takes space itself: its copy records do, record
      // 0 standing for the file's own place.
      for (FileEntry &record : entry->children)
        if (record.position == 0) queue.push_back(&record);
      continue;
    }
    if (entry->position == 0) queue.push_back(entry);
  }
  auto by_key = [](const FileEntry *a, const FileEntry *b) { return a->layout_key < b->layout_key; };
  // Without [Layout] definitions every key is 0: nothing to sort.
  if (!std::is_sorted(queue.begin(), queue.end(), by_key)) std::stable_sort(queue.begin(), queue.end(), by_key);
}

size_t back_group_begin(const std::vector<FileEntry *> &queue) {
  auto it = std::partition_point(queue.begin(), queue.end(),
                                 [](const FileEntry *item) { return item->layout_key <= 0; });
  return static_cast<size_t>(it - queue.begin());
}

}  // namespace qorv
