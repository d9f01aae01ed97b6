#include "fst/layout_off_pruning.h"

#include <vector>

#include "driver/run_state.h"
#include "host/wildcard.h"

namespace qorv {

namespace {

bool any_match(const std::vector<WildcardPattern> &patterns, const std::string &disc_path) {
  for (const WildcardPattern &p : patterns)
    if (p.matches(disc_path)) return true;
  return false;
}

// One walk for all patterns: an entry goes when any pattern matches it, so
// applying the patterns one after another would remove the same entries.
// A removed directory's subtree is not walked, and the survivors are
// compacted in place (erasing one by one would be quadratic in a large
// directory).
void prune(std::vector<FileEntry> &children, const std::vector<WildcardPattern> &patterns) {
  size_t kept = 0;
  for (size_t i = 0; i < children.size(); ++i) {
    FileEntry &entry = children[i];
    if (any_match(patterns, entry.disc_path)) continue;
    if (entry.kind == KIND_DIRECTORY) prune(entry.children, patterns);
    if (kept != i) children[kept] = std::move(entry);
    ++kept;
  }
  children.resize(kept);
}

}  // namespace

void prune_layout_off(RunState &run) {
  std::vector<WildcardPattern> patterns;
  for (const Layer &layer : run.store.layers)
    if (const auto *table = find_table<LayoutTable>(layer, key::LayoutOffForm))
      for (const LayoutRequest &item : table->items) patterns.emplace_back(item.file);
  if (patterns.empty()) return;

  prune(run.root_entry.children, patterns);
  for (FileEntry &top : run.path_list_trees) prune(top.children, patterns);
}

}  // namespace qorv
