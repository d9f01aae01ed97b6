#include "tree/fst_builder.h"

#include "core/run_state.h"
#include "tree/fst_record.h"
#include "tree/layout_off_pruning.h"
#include "tree/path_list_mapping.h"
#include "tree/source_tree_scan.h"
#include "requests/layout_requests.h"

namespace qorv {

namespace {

void flatten(std::vector<FileEntry> &children, std::vector<FileEntry *> &out) {
  for (FileEntry &entry : children) {
    out.push_back(&entry);
    if (entry.is_directory()) flatten(entry.children, out);
  }
}

size_t count_entries(const std::vector<FileEntry> &children) {
  size_t n = children.size();
  for (const FileEntry &entry : children)
    if (entry.is_directory()) n += count_entries(entry.children);
  return n;
}

// Sets parent index and next index of every directory below `children`,
// whose owner has FST index `parent`; returns the index of the subtree's
// last entry. A mirrored file's twin follows it in the FST.
uint64_t assign_fst_indices(std::vector<FileEntry> &children, uint64_t parent) {
  uint64_t counter = parent;
  for (FileEntry &child : children) {
    if (child.is_directory()) {
      uint64_t own = counter + 1;
      uint64_t last = assign_fst_indices(child.children, own);
      child.set_fst_indices(parent, last + 1);
      counter = last;
    } else {
      counter += child.replica_mode == ReplicaKind::Mirrored ? 2 : 1;
    }
  }
  return counter;
}

void number_directories(RunState &run) {
  std::vector<FileEntry *> &entries = run.fst_entries;
  for (size_t j = 0; j < entries.size();) {
    FileEntry &entry = *entries[j];
    if (!entry.is_directory()) {
      ++j;
      continue;
    }
    uint64_t last = assign_fst_indices(entry.children, j);
    entry.set_fst_indices(0, last + 1);
    j = static_cast<size_t>(last + 1);
  }
  run.root_entry.extent = entries.size();
}

// Sizes of the entry table, the name table and the copy lists, and where
// each copied file's copy list lies.
void compute_fst_sizes(RunState &run) {
  const std::vector<FileEntry *> &entries = run.fst_entries;
  run.fst_entries_size = entries.size() * FST_RECORD_SIZE;

  uint64_t names = 0;
  for (size_t i = 1; i < entries.size(); i += entries[i]->replica_mode == ReplicaKind::Mirrored ? 2 : 1)
    names += entries[i]->name().size() + 1;
  run.fst_names_size = name_table_size(run.target_mode, names);

  run.fst_copy_lists_size = 0;
  if (run.advanced_fst) {
    uint64_t offset = run.fst_names_size;
    for (FileEntry *file : run.copy_entries) {
      file->set_copy_list_offset(offset);
      const uint64_t list = copy_list_size(file->children.size());
      offset += list;
      run.fst_copy_lists_size += list;
    }
  }
}

}  // namespace

bool build_fst(RunState &run) {
  if (!scan_disc_root(run)) return false;
  if (!map_path_lists(run)) return false;
  prune_layout_off(run);

  size_t total = 1 + count_entries(run.root_entry.children);
  for (const FileEntry &top : run.path_list_trees) total += 1 + count_entries(top.children);
  run.fst_entries.clear();
  run.fst_entries.reserve(total);
  run.fst_entries.push_back(&run.root_entry);
  flatten(run.root_entry.children, run.fst_entries);
  for (FileEntry &top : run.path_list_trees) {
    run.fst_entries.push_back(&top);
    flatten(top.children, run.fst_entries);
  }

  if (!apply_layout_requests(run)) return false;
  number_directories(run);
  compute_fst_sizes(run);
  return true;
}

}  // namespace qorv
