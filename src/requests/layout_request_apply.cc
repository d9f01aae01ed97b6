#include <algorithm>

#include "core/run_state.h"
#include "requests/layout_request_passes.h"
#include "requests/layout_requests.h"

namespace qorv {

namespace {

std::vector<const LayoutRequest *> sorted_align_requests(const RunState &run) {
  std::vector<const LayoutRequest *> requests;
  for (const Layer &layer : run.store.layers)
    if (const auto *table = find_table<LayoutTable>(layer, key::LbaAlignForm))
      for (const LayoutRequest &item : table->items) requests.push_back(&item);
  std::stable_sort(requests.begin(), requests.end(),
                   [](const LayoutRequest *a, const LayoutRequest *b) { return a->priority < b->priority; });
  return requests;
}

// Calls `each` with every exact name that [Layout] and [LbaOrigin] ask for.
template <class Each>
void for_each_exact_name(const RunState &run, Each each) {
  for (const Layer &layer : run.store.layers) {
    if (const auto *table = find_table<LayoutTable>(layer, key::LayoutForm))
      for (const LayoutRequest &item : table->items) each(item.file);
    if (const auto *table = find_table<OriginTable>(layer, key::OriginForm))
      for (const OriginRequest &origin : table->items) {
        each(origin.file);
        for (const OriginRequest &f : origin.followers) each(f.file);
      }
  }
}

void want_exact_names(const RunState &run, NameIndex &names) {
  size_t count = 0, bytes = 0;
  for_each_exact_name(run, [&](const std::string &file) {
    ++count;
    bytes += file.size();
  });
  names.reserve(count, bytes);
  for_each_exact_name(run, [&](const std::string &file) { names.want(file); });
}

// Alignment and layout key of every file: the last request in priority
// order that matches wins, so the highest priority decides, and among equal
// priorities the later layer and line. A mirrored file's twin and a copied
// file's further records take its alignment; their layout keys came with
// their own [Layout] definitions.
void stamp_files(RunState &run, const std::vector<const LayoutRequest *> &align,
                 const std::vector<AcceptedLayout> &layout) {
  LastMatch align_match(*run.disc_code_page), key_match(*run.disc_code_page);
  for (const LayoutRequest *r : align) align_match.add(r->file);
  for (const AcceptedLayout &a : layout) {
    if (a.request->replica == ReplicaKind::Ordinary)
      key_match.add(a.request->file);
    else
      key_match.skip();
  }

  for (FileEntry *entry : run.fst_entries) {
    const std::ptrdiff_t align_index = align_match.visit(*entry);
    const std::ptrdiff_t key_index = key_match.visit(*entry);
    if (entry->is_directory()) continue;
    FileEntry &primary = entry->replica_mode == ReplicaKind::Copied ? entry->children[0] : *entry;
    if (std::ptrdiff_t i = align_index; i >= 0) {
      auto alignment = static_cast<uint64_t>(align[static_cast<size_t>(i)]->value);
      primary.alignment = alignment;
      if (entry->replica_mode == ReplicaKind::Mirrored) entry->children[0].alignment = alignment;
      if (entry->replica_mode == ReplicaKind::Copied)
        for (size_t c = 1; c < entry->children.size(); ++c) entry->children[c].alignment = alignment;
    }
    if (std::ptrdiff_t i = key_index; i >= 0)
      primary.layout_key = layout[static_cast<size_t>(i)].key;
  }
}

// Each twin right after its file, in one pass over the entries.
void insert_twins(RunState &run) {
  if (run.mirror_entries.empty()) return;
  std::vector<FileEntry *> with_twins;
  with_twins.reserve(run.fst_entries.size() + run.mirror_entries.size());
  for (FileEntry *entry : run.fst_entries) {
    with_twins.push_back(entry);
    if (entry->kind == FstKind::File && entry->replica_mode == ReplicaKind::Mirrored) with_twins.push_back(&entry->children[0]);
  }
  run.fst_entries = std::move(with_twins);
}

}  // namespace

bool apply_layout_requests(RunState &run) {
  NameIndex names(*run.disc_code_page);
  want_exact_names(run, names);
  names.fill(run.fst_entries);

  std::vector<const LayoutRequest *> align = sorted_align_requests(run);
  std::vector<AcceptedLayout> layout;
  bool layout_ok = run_layout_pass(run, names, layout);
  bool origins_ok = run_origin_pass(run, names);
  if (layout_ok && origins_ok) {
    if (!align.empty() || !layout.empty()) stamp_files(run, align, layout);
    insert_twins(run);
  }
  run.mirror_entries.clear();
  return layout_ok && origins_ok;
}

}  // namespace qorv
